// Account records and account request headers for tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>

#include "server/account_store.h"
#include "server/protocol.h"
#include "server/tests/support/request_headers.h"

namespace cvlm_testing {

// An account with the name, password and kind, address 10.0.0.0, the rest zero.
cvlm::AclAccount account(const std::string& name, const std::string& password, std::int32_t kind = 1);

// The 144 bytes of an account.
std::string bytesOf(const cvlm::AclAccount& a);

// Requests that carry a whole account at 8.
inline cvlm::RqH withAccount(std::int32_t type, const cvlm::AclAccount& a) { return withAccount(type, bytesOf(a)); }

}  // namespace cvlm_testing
