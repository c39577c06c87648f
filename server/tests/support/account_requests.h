// Account records and account request headers for tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>

#include "server/account_store.h"
#include "server/protocol.h"

namespace cvlm_testing {

// An account with the name, password and kind, address 10.0.0.0, the rest zero.
cvlm::AclAccount account(const std::string& name, const std::string& password, std::int32_t kind = 1);

// The 144 bytes of an account.
std::string bytesOf(const cvlm::AclAccount& a);

// Requests that carry a user name at 8 and a password at 38 (or 40 for 4).
cvlm::RqH credentials(std::int32_t type, const std::string& name, const std::string& password);

// Requests that carry a whole account at 8.
cvlm::RqH withAccount(std::int32_t type, const cvlm::AclAccount& a);

}  // namespace cvlm_testing
