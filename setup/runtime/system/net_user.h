// The network user name, from MPR's WNetGetUserA or, without it, from the
// network functions of USER.EXE and its multi-network driver.
#pragma once

namespace merl {

// Puts the user name for device (null: the default network) into out (256 bytes); false
// when no network answers.
bool GetNetUserName(char* out, const char* device = nullptr);

}  // namespace merl
