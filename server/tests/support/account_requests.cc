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
  formats::putInt32(&a, offsetof(cvlm::AclAccount, kind), kind);
  a.address[0] = 10;
  return a;
}

std::string bytesOf(const cvlm::AclAccount& a) { return std::string(reinterpret_cast<const char*>(&a), sizeof a); }

cvlm::RqH credentials(std::int32_t type, const std::string& name, const std::string& password) {
  cvlm::RqH header = makeHeader(type);
  std::memcpy(header.bytes() + 8, name.data(), std::min<std::size_t>(name.size(), 30));
  std::size_t at = type == cvlm::RQ_ChangePasswd ? 40 : 38;
  std::memcpy(header.bytes() + at, password.data(), std::min<std::size_t>(password.size(), 30));
  return header;
}

cvlm::RqH withAccount(std::int32_t type, const cvlm::AclAccount& a) {
  cvlm::RqH header = makeHeader(type);
  std::memcpy(header.bytes() + 8, &a, sizeof a);
  return header;
}

}  // namespace cvlm_testing
