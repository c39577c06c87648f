// Account records and account request headers for tests and benchmarks.
#include "server/tests/support/account_requests.h"

#include <algorithm>
#include <cstring>

#include "formats/byte_order.h"
#include "server/tests/support/test_console.h"

namespace cvlm_testing {

cvlm::AclAccount account(const std::string& name, const std::string& password, std::int32_t kind) {
  cvlm::AclAccount a{};
  std::memcpy(a.userName, name.data(), std::min(name.size(), sizeof a.userName));
  std::memcpy(a.password, password.data(), std::min(password.size(), sizeof a.password));
  formats::putInt32(&a, 60, kind);
  a.address[0] = 10;
  return a;
}

std::string bytesOf(const cvlm::AclAccount& a) { return std::string(reinterpret_cast<const char*>(&a), sizeof a); }

}  // namespace cvlm_testing
