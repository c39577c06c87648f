// Load console: the request mix, its model checks, and the state files.
#include "server/tests/support/load_console.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "formats/byte_order.h"
#include "server/books/book_files.h"
#include "server/books/records.h"
#include "server/constants.h"
#include "server/tests/support/account_requests.h"
#include "server/tests/support/request_headers.h"
#include "server/tests/support/settings_file.h"

namespace cvlm_testing {

namespace {

using cvlm::AclAccount;
using cvlm::ObjCvHost;
using Clock = std::chrono::steady_clock;

constexpr int kAccountsPerConsole = 3;

std::string bytesOf(const void* p, std::size_t n) { return std::string(static_cast<const char*>(p), n); }

bool answeredOne(const std::optional<cvlm::MgrRequestResult>& result) {
  return result && resultType(*result) == cvlm::MRR_TYPE_Success;
}

}  // namespace

std::string changeableMailBytes(cvlm::CvLmRecord record) {
  std::memset(record.owner, 0, sizeof record.owner);
  std::memset(record.subject, 0, sizeof record.subject);
  return bytesOf(&record, sizeof record);
}

bool mailIsPlausible(const std::string& mail, const std::vector<MailChange>& changes) {
  std::optional<SteadyTime> lastAsked;
  for (const MailChange& c : changes)
    if (c.answered && (!lastAsked || c.asked > *lastAsked)) lastAsked = c.asked;
  return std::any_of(changes.begin(), changes.end(), [&](const MailChange& c) {
    return c.record == mail && (!c.answered || !lastAsked || *c.answered >= *lastAsked);
  });
}

StateFiles readStateFiles(const std::string& dir) {
  StateFiles files;
  files.dir = dir;
  std::string acl = fileBytes(dir + "/" + cvlm::kAclFileName);
  if (acl.size() % sizeof(AclAccount) != 0) files.problems.push_back("\".acl\" is not whole records");
  for (std::size_t at = 0; at + sizeof(AclAccount) <= acl.size(); at += sizeof(AclAccount)) {
    std::string name = formats::getText(acl.data(), at, cvlm::kAclTextSize);
    if (!files.accounts.emplace(name, acl.substr(at, sizeof(AclAccount))).second)
      files.problems.push_back("\".acl\" holds " + name + " twice");
  }
  std::string cvdb = fileBytes(dir + "/.cvdb");
  if (cvdb.size() % sizeof(ObjCvHost) != 0) files.problems.push_back("\".cvdb\" is not whole records");
  for (std::size_t at = 0; at + sizeof(ObjCvHost) <= cvdb.size(); at += sizeof(ObjCvHost))
    files.hosts.push_back(cvdb.substr(at, sizeof(ObjCvHost)));
  cvlm::CvLmRecord mail{};
  if (decodeSettingsFile(fileBytes(dir + "/.cvlmrc"), mail)) files.mail = changeableMailBytes(mail);
  else files.problems.push_back("\".cvlmrc\" does not decode");
  return files;
}

LoadConsole::LoadConsole(int index, std::uint16_t port, FakeSensor& sensor)
    : index_(index), port_(port), random_(1000 + index) {
  for (int i = 0; i < 12; ++i) sensorId_[i] = static_cast<std::uint8_t>(index * 16 + i);
  sensor.on(cvlm::CVRH_GetCvId, SensorScript::accept().withId(sensorId_));
  std::uint32_t address = sensor.addressValue();
  std::memcpy(hostAddress_, &address, 4);
}

bool LoadConsole::runOne() {
  // Requests and their weights (per cent).
  static constexpr std::pair<int, void (LoadConsole::*)()> kMix[] = {
      {12, &LoadConsole::logIn},         {12, &LoadConsole::addAccount},   {7, &LoadConsole::setAccount},
      {6, &LoadConsole::changePassword}, {7, &LoadConsole::deleteAccount}, {4, &LoadConsole::listAccounts},
      {7, &LoadConsole::addHost},        {5, &LoadConsole::modifyHost},    {4, &LoadConsole::deleteHost},
      {3, &LoadConsole::listHosts},      {8, &LoadConsole::uploadBook},    {5, &LoadConsole::downloadBook},
      {7, &LoadConsole::setMail},        {4, &LoadConsole::getMail},       {9, &LoadConsole::hello},
  };
  lost_ = false;
  int pick = std::uniform_int_distribution<int>(0, 99)(random_);
  for (const auto& [weight, request] : kMix) {
    if (pick < weight) {
      (this->*request)();
      break;
    }
    pick -= weight;
  }
  return !lost_;
}

void LoadConsole::addModel(std::map<std::string, std::string>& accounts, std::vector<std::string>& hosts) const {
  for (const auto& [name, a] : accounts_) accounts[name] = bytesOf(&a, sizeof a);
  if (host_) hosts.push_back(bytesOf(&*host_, sizeof *host_));
}

std::vector<std::string> LoadConsole::checkAndAdopt(const StateFiles& files) {
  std::vector<std::string> problems;
  // Accounts: the model, except that a pending change's account may be as
  // the change leaves it.
  std::map<std::string, std::string> mine, model, pending;
  for (const auto& [name, record] : files.accounts)
    if (name.compare(0, ownPrefix().size(), ownPrefix()) == 0) mine[name] = record;
  for (const auto& [name, a] : accounts_) model[name] = bytesOf(&a, sizeof a);
  pending = model;
  if (pendingAccount_) {
    if (pendingAccount_->second)
      pending[pendingAccount_->first] = bytesOf(&*pendingAccount_->second, sizeof(AclAccount));
    else pending.erase(pendingAccount_->first);
  }
  if (mine != model && mine != pending) problems.push_back("console " + std::to_string(index_) + ": accounts torn");
  accounts_.clear();
  for (const auto& [name, record] : mine) std::memcpy(&accounts_[name], record.data(), sizeof(AclAccount));
  pendingAccount_.reset();

  std::string hosts;
  for (const auto& h : files.hosts) hosts += h;
  std::optional<std::string> stored = ownHostIn(hosts), before, after;
  if (host_) before = bytesOf(&*host_, sizeof *host_);
  after = before;
  if (pendingHost_)
    after = *pendingHost_ ? std::optional<std::string>(bytesOf(&**pendingHost_, sizeof(ObjCvHost))) : std::nullopt;
  if (stored != before && stored != after) problems.push_back("console " + std::to_string(index_) + ": host torn");
  host_.reset();
  if (stored) {
    host_.emplace();
    std::memcpy(&*host_, stored->data(), sizeof(ObjCvHost));
  }
  pendingHost_.reset();

  std::string book = fileBytes(files.dir + "/" + bookName());
  if (book != book_ && (!pendingBook_ || book != *pendingBook_))
    problems.push_back("console " + std::to_string(index_) + ": Address book torn");
  book_ = book;
  pendingBook_.reset();
  return problems;
}

std::string LoadConsole::bookName() const {
  std::uint32_t address;
  std::memcpy(&address, hostAddress_, sizeof address);
  return cvlm::bookFileName(cvlm::ADDRESS_BOOK, address);
}

std::optional<cvlm::MgrRequestResult> LoadConsole::ask(TestConsole& console, const cvlm::RqH& header) {
  auto result = console.request(header);
  if (result) ++answered_;
  else lost_ = true;
  return result;
}

std::optional<cvlm::MgrRequestResult> LoadConsole::ask(const cvlm::RqH& header) {
  TestConsole console(port_);
  return ask(console, header);
}

std::optional<cvlm::MgrRequestResult> LoadConsole::askForSuccess(TestConsole& console, const cvlm::RqH& header,
                                                                 const char* what) {
  auto result = ask(console, header);
  expectType(result, cvlm::MRR_TYPE_Success, what);
  return answeredOne(result) ? result : std::nullopt;
}

std::optional<cvlm::MgrRequestResult> LoadConsole::askWithUnits(const cvlm::RqH& header,
                                                                const std::vector<std::string>& units) {
  TestConsole console(port_);
  bool sent = console.sendHeader(header);
  for (std::size_t i = 0; sent && i < units.size(); ++i) sent = console.sendUnit(units[i]);
  auto result = sent ? console.receiveResult() : std::nullopt;
  if (result) ++answered_;
  else lost_ = true;
  return result;
}

void LoadConsole::expectType(const std::optional<cvlm::MgrRequestResult>& result, std::int32_t expected,
                             const char* what) {
  if (result && resultType(*result) != expected) {
    mismatch(std::string(what) + ": answered " + std::to_string(resultType(*result)) + ", expected " +
             std::to_string(expected));
  }
}

void LoadConsole::mismatch(const std::string& what) {
  mismatches_.push_back("console " + std::to_string(index_) + ": " + what);
}

void LoadConsole::cameShort(const std::string& what) {
  if (serverMayDie_) lost_ = true;
  else mismatch(what);
}

void LoadConsole::accountChange(const std::optional<cvlm::MgrRequestResult>& result, const std::string& name,
                                std::optional<AclAccount> after) {
  if (!result) {
    pendingAccount_.emplace(name, after);
  } else if (answeredOne(result)) {
    if (after) accounts_[name] = *after;
    else accounts_.erase(name);
  }
}

void LoadConsole::hostChange(const std::optional<cvlm::MgrRequestResult>& result, std::optional<ObjCvHost> after) {
  if (!result) pendingHost_ = after;
  else if (answeredOne(result)) host_ = after;
}

void LoadConsole::bookChange(const std::optional<cvlm::MgrRequestResult>& result, std::string after) {
  if (!result) pendingBook_ = std::move(after);
  else if (answeredOne(result)) book_ = std::move(after);
}

std::string LoadConsole::ownPrefix() const { return "load" + std::to_string(index_) + "-"; }

std::string LoadConsole::accountName() {
  int k = std::uniform_int_distribution<int>(0, kAccountsPerConsole - 1)(random_);
  return ownPrefix() + std::to_string(k);
}

std::string LoadConsole::freshText(const std::string& prefix) { return prefix + std::to_string(++counter_); }

void LoadConsole::logIn() {
  std::string name = accountName();
  auto known = accounts_.find(name);
  std::string password = known == accounts_.end() ? "none" : std::string(known->second.password);
  auto result = ask(credentials(cvlm::RQ_GetAcl, name, password));
  if (known == accounts_.end()) {
    expectType(result, cvlm::MRR_TYPE_Password_Error, "log-in of a missing account");
  } else {
    expectType(result, cvlm::MRR_TYPE_Success, "log-in");
    if (answeredOne(result) && std::memcmp(result->payload, &known->second, sizeof(AclAccount)) != 0)
      mismatch("log-in returned another record");
  }
}

void LoadConsole::addAccount() {
  std::string name = accountName();
  auto known = accounts_.find(name);
  bool wrongPassword = known != accounts_.end() && std::uniform_int_distribution<int>(0, 3)(random_) == 0;
  std::string password = known == accounts_.end() ? freshText("pw") : std::string(known->second.password);
  if (wrongPassword) password = "wrong";
  AclAccount a = account(name, password, ++counter_);
  auto result = ask(withAccount(cvlm::RQ_AddAcl, a));
  expectType(result, wrongPassword ? cvlm::MRR_TYPE_Password_Error : cvlm::MRR_TYPE_Success, "add account");
  if (!wrongPassword) accountChange(result, name, a);
}

void LoadConsole::setAccount() {
  std::string name = accountName();
  auto known = accounts_.find(name);
  AclAccount a = account(name, known == accounts_.end() ? "pw" : known->second.password, ++counter_);
  auto result = ask(withAccount(cvlm::RQ_SetAcl, a));
  expectType(result, known == accounts_.end() ? cvlm::MRR_TYPE_Password_Error : cvlm::MRR_TYPE_Success, "set account");
  if (known != accounts_.end()) accountChange(result, name, a);
}

void LoadConsole::changePassword() {
  std::string name = accountName();
  auto known = accounts_.find(name);
  std::string password = freshText("new");
  auto result = ask(credentials(cvlm::RQ_ChangePasswd, name, password));
  expectType(result, known == accounts_.end() ? cvlm::MRR_TYPE_Password_Error : cvlm::MRR_TYPE_Success,
             "change password");
  if (known == accounts_.end()) return;
  AclAccount a = known->second;
  formats::putText(a.password, 0, cvlm::kAclTextSize, password);
  accountChange(result, name, a);
}

void LoadConsole::deleteAccount() {
  std::string name = accountName();
  auto known = accounts_.find(name);
  std::string password = known == accounts_.end() ? "none" : std::string(known->second.password);
  auto result = ask(credentials(cvlm::RQ_DetAcl, name, password));
  expectType(result, known == accounts_.end() ? cvlm::MRR_TYPE_Password_Error : cvlm::MRR_TYPE_Success,
             "delete account");
  if (known != accounts_.end()) accountChange(result, name, std::nullopt);
}

// The listing is one snapshot: this console's own accounts are in it as its
// model has them, whatever the others do meanwhile.
void LoadConsole::listAccounts() {
  TestConsole console(port_);
  auto result = askForSuccess(console, makeHeader(cvlm::RQ_GetAllAcl), "list accounts");
  if (!result) return;
  std::int32_t count = formats::getInt32(&*result, 8);
  std::map<std::string, std::string> mine, expected;
  for (std::int32_t i = 0; i < count; ++i) {
    auto unit = console.receiveUnit(sizeof(AclAccount));
    if (!unit) return cameShort("listing came short");
    std::string name = formats::getText(unit->data(), 0, cvlm::kAclTextSize);
    if (name.compare(0, ownPrefix().size(), ownPrefix()) == 0) mine[name] = *unit;
  }
  for (const auto& [name, a] : accounts_) expected[name] = bytesOf(&a, sizeof a);
  if (mine != expected) mismatch("listing differs from the console's accounts");
}

namespace {
// The request fields of a host record.
HostRequest hostRequest(const ObjCvHost& h) {
  HostRequest r;
  r.name = formats::fieldText(h.name);
  r.community = formats::fieldText(h.community);
  r.text1 = formats::fieldText(h.text1);
  r.text2 = formats::fieldText(h.text2);
  r.number1 = h.number1;
  r.number2 = h.number2;
  r.number3 = h.number3;
  r.state = h.state;
  return r;
}
}  // namespace

std::uint32_t LoadConsole::hostAddressValue() const {
  std::uint32_t value;
  std::memcpy(&value, hostAddress_, sizeof value);
  return value;
}

ObjCvHost LoadConsole::hostRecord(const std::string& name, const std::string& community, const std::string& text) {
  ObjCvHost h{};
  std::memcpy(h.address, hostAddress_, 4);
  std::memcpy(h.sensorId, sensorId_, sizeof h.sensorId);
  formats::putText(h.name, 0, cvlm::kCvTextSize, name);
  formats::putText(h.community, 0, cvlm::kCvTextSize, community);
  formats::putText(h.text1, 0, cvlm::kCvTextSize, text);
  formats::putText(h.text2, 0, cvlm::kCvTextSize, text + "/2");
  h.number1 = counter_;
  h.number2 = index_;
  h.number3 = cvlm::kNewHostNumber3;
  h.state = 1;
  return h;
}

void LoadConsole::addHost() {
  ObjCvHost h = hostRecord(freshText("sensor"), "public", freshText("added"));
  auto result = ask(cvlm_testing::addHostHeader(hostAddressValue(), hostRequest(h)));
  expectType(result, host_ ? cvlm::MRR_TYPE_CvExist_Error : cvlm::MRR_TYPE_Success, "add host");
  if (!host_) hostChange(result, h);
}

void LoadConsole::modifyHost() {
  std::string community = host_ ? std::string(host_->community) : "public";
  ObjCvHost h = hostRecord(freshText("renamed"), freshText("c"), freshText("modified"));
  if (host_) std::memcpy(h.sensorId, host_->sensorId, sizeof h.sensorId);
  h.state = static_cast<std::uint8_t>(2 + counter_ % 3);
  h.number3 = counter_;
  auto result =
      ask(cvlm_testing::modifyHostHeader(hostAddressValue(), hostAddressValue(), community, hostRequest(h)));
  expectType(result, host_ ? cvlm::MRR_TYPE_Success : cvlm::MRR_TYPE_CvNotFound_Error, "modify host");
  if (host_) hostChange(result, h);
}

// Deleting a host, listed or not, removes its books.
void LoadConsole::deleteHost() {
  auto result = ask(cvlm_testing::sensorHeader(cvlm::RQ_DelCvHost, hostAddressValue()));
  expectType(result, host_ ? cvlm::MRR_TYPE_Success : cvlm::MRR_TYPE_CvNotFound_Error, "delete host");
  if (host_) hostChange(result, std::nullopt);
  if (!result) pendingBook_ = "";
  else book_.clear();
}

// The Address book replaced whole by 0 to 3 records, each its own unit.
void LoadConsole::uploadBook() {
  int count = std::uniform_int_distribution<int>(0, 3)(random_);
  std::string records;
  for (int i = 0; i < count; ++i) {
    cvlm::BAddress record{};
    formats::putText(record.name, 0, sizeof record.name, freshText("net" + std::to_string(index_) + "-"));
    record.firstValue = counter_;
    record.secondValue = i;
    records += bytesOf(&record, sizeof record);
  }
  cvlm::RqH header = cvlm_testing::uploadBookHeader(cvlm::ADDRESS_BOOK, count,
                                                    static_cast<std::int32_t>(sizeof(cvlm::BAddress)), hostAddressValue());
  std::vector<std::string> units;
  for (int i = 0; i < count; ++i) units.push_back(records.substr(i * sizeof(cvlm::BAddress), sizeof(cvlm::BAddress)));
  auto result = askWithUnits(header, units);
  expectType(result, cvlm::MRR_TYPE_Success, "upload book");
  bookChange(result, records);
}

void LoadConsole::downloadBook() {
  cvlm::RqH header = cvlm_testing::downloadBookHeader(
      cvlm::ADDRESS_BOOK, static_cast<std::int32_t>(sizeof(cvlm::BAddress)), hostAddressValue());
  TestConsole console(port_);
  auto result = askForSuccess(console, header, "download book");
  if (!result) return;
  auto book = console.receiveUnit(static_cast<std::size_t>(formats::getInt32(&*result, 8)) * sizeof(cvlm::BAddress));
  if (!book) return cameShort("book came short");
  if (*book != book_) mismatch("downloaded book differs from the console's");
}

std::optional<std::string> LoadConsole::ownHostIn(const std::string& hosts) const {
  for (std::size_t at = 0; at + cvlm::kCvHostSize <= hosts.size(); at += cvlm::kCvHostSize) {
    if (std::memcmp(hosts.data() + at, hostAddress_, 4) == 0) return hosts.substr(at, cvlm::kCvHostSize);
  }
  return std::nullopt;
}

void LoadConsole::checkOwnHost(const std::string& hosts, const char* what) {
  std::optional<std::string> expected;
  if (host_) expected = bytesOf(&*host_, sizeof *host_);
  if (ownHostIn(hosts) != expected) mismatch(std::string(what) + " shows another state of the console's host");
}

void LoadConsole::listHosts() {
  TestConsole console(port_);
  auto result = askForSuccess(console, makeHeader(cvlm::RQ_ListCvHost), "list hosts");
  if (!result) return;
  auto hosts = console.receiveUnit(static_cast<std::size_t>(formats::getInt32(&*result, 8)) * cvlm::kCvHostSize);
  if (!hosts) return cameShort("host list came short");
  checkOwnHost(*hosts, "host list");
}

void LoadConsole::hello() {
  TestConsole console(port_);
  auto result = askForSuccess(console, makeHeader(cvlm::RQ_Hello), "hello");
  if (!result) return;
  std::size_t n = static_cast<std::size_t>(formats::getInt32(&*result, 144));
  std::size_t m = static_cast<std::size_t>(formats::getInt32(&*result, 148));
  auto trailer = console.receiveUnit(static_cast<std::size_t>(formats::getInt32(&*result, 252)));
  if (!trailer || trailer->size() != n * cvlm::kCvHostSize + m * sizeof(cvlm::MailEntry))
    return cameShort("hello trailer came short");
  checkOwnHost(trailer->substr(0, n * cvlm::kCvHostSize), "hello");
}

void LoadConsole::setMail() {
  int m = std::uniform_int_distribution<int>(0, 6)(random_);
  std::string tag = freshText("c" + std::to_string(index_) + "-");
  cvlm::CvLmRecord expected{};
  formats::putInt32(expected.mailCount, 0, m);
  formats::putText(expected.mailServer, 0, 32, "smtp." + tag);
  formats::putText(expected.sender, 0, 32, "ids@" + tag);
  formats::putText(expected.user, 0, 32, "user" + tag);
  for (int i = 0; i < 4; ++i) expected.options[i] = static_cast<std::uint8_t>(counter_ + i);
  for (int i = 0; i < m; ++i) formats::putText(expected.entries[i].text, 0, 64, "admin" + std::to_string(i) + "@" + tag);

  std::array<std::uint8_t, 4> options;
  std::memcpy(options.data(), expected.options, options.size());
  cvlm::RqH header = cvlm_testing::mailSettingsHeader(m, std::string(formats::fieldText(expected.mailServer)),
                                                      std::string(formats::fieldText(expected.sender)),
                                                      std::string(formats::fieldText(expected.user)), options);
  MailChange change{changeableMailBytes(expected), Clock::now(), std::nullopt};
  std::vector<std::string> units;
  for (int i = 0; i < m; ++i) units.push_back(bytesOf(&expected.entries[i], sizeof(cvlm::MailEntry)));
  auto result = askWithUnits(header, units);
  if (!result) {
    mailChanges_.push_back(change);
    return;
  }
  expectType(result, cvlm::MRR_TYPE_Success, "set mail settings");
  if (!answeredOne(result)) return;
  change.answered = Clock::now();
  mailChanges_.push_back(change);
}

void LoadConsole::getMail() {
  TestConsole console(port_);
  auto result = askForSuccess(console, makeHeader(cvlm::RQ_GetEMailInfo), "get mail settings");
  if (!result) return;
  std::int32_t m = formats::getInt32(&*result, 8);
  if (m < 0 || m > cvlm::kMaxMailEntries || !console.receiveUnit(static_cast<std::size_t>(m) * 64))
    cameShort("mail entries came short");
}

}  // namespace cvlm_testing
