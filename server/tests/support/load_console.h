// A console for load and crash runs: a random mix of account, host, book,
// mail and hello requests, each on its own connection, about accounts, a host
// and its Address book of its own, with every answer checked against its model
// of them; and the test view of the state files the runs check afterwards.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "server/account_store.h"
#include "server/cv_host.h"
#include "server/email_settings.h"
#include "server/protocol.h"
#include "server/tests/support/fake_sensor.h"
#include "server/tests/support/test_console.h"

namespace cvlm_testing {

using SteadyTime = std::chrono::steady_clock::time_point;

// The settings record bytes a request can change (owner and subject cleared).
std::string changeableMailBytes(cvlm::CvLmRecord record);

// One mail settings change: the bytes it leaves, when it was asked and, once
// answered 1, when.
struct MailChange {
  std::string record;
  SteadyTime asked;
  std::optional<SteadyTime> answered;
};

// The mail settings a run may leave: a change answered after the last
// answered change was asked, or one never answered.
bool mailIsPlausible(const std::string& mail, const std::vector<MailChange>& changes);

// ".acl", ".cvdb" and ".cvlmrc" as a test reads them.
struct StateFiles {
  std::string dir;
  std::map<std::string, std::string> accounts;  // 144-byte records by user name
  std::vector<std::string> hosts;               // 172-byte records, file order
  std::string mail;                             // changeableMailBytes of the record
  std::vector<std::string> problems;            // what is torn, damaged or twice there
};
StateFiles readStateFiles(const std::string& dir);

class LoadConsole {
 public:
  LoadConsole(int index, std::uint16_t port, FakeSensor& sensor);

  // The server may be killed at any moment: what follows an answer may then
  // come short, which ends the console's run like a lost answer.
  void expectServerDeath() { serverMayDie_ = true; }

  // One random request. False when it got no answer: its change may or may
  // not have been made, and stays pending until checkAndAdopt.
  bool runOne();

  const std::vector<std::string>& mismatches() const { return mismatches_; }
  int answered() const { return answered_; }
  // Changes answered 1, and one pending when an answer was lost.
  std::vector<MailChange>& mailChanges() { return mailChanges_; }

  // The console's accounts and host as its model has them; its Address book
  // lies in the files as bookName() says.
  void addModel(std::map<std::string, std::string>& accounts, std::vector<std::string>& hosts) const;
  // Checks the console's own accounts and host in the files (each as the
  // model has it, or as a pending change leaves it), then takes the files'
  // state as the model. Returns what does not fit.
  std::vector<std::string> checkAndAdopt(const StateFiles& files);
  // The console's Address book as its model has it ("" when it has none).
  const std::string& book() const { return book_; }
  std::string bookName() const;

 private:
  std::optional<cvlm::MgrRequestResult> ask(TestConsole& console, const cvlm::RqH& header);
  std::optional<cvlm::MgrRequestResult> ask(const cvlm::RqH& header);
  // ask, then the result only when it is 1 (any other type is a mismatch).
  std::optional<cvlm::MgrRequestResult> askForSuccess(TestConsole& console, const cvlm::RqH& header,
                                                      const char* what);
  // The header, then each unit, then the result.
  std::optional<cvlm::MgrRequestResult> askWithUnits(const cvlm::RqH& header, const std::vector<std::string>& units);
  void expectType(const std::optional<cvlm::MgrRequestResult>& result, std::int32_t expected, const char* what);
  void mismatch(const std::string& what);
  // Units after a result came short: a mismatch, or a lost answer when the
  // server may die.
  void cameShort(const std::string& what);
  // Records the change as pending until the answer comes; commits it on 1.
  void accountChange(const std::optional<cvlm::MgrRequestResult>& result, const std::string& name,
                     std::optional<cvlm::AclAccount> after);
  void hostChange(const std::optional<cvlm::MgrRequestResult>& result, std::optional<cvlm::ObjCvHost> after);
  void bookChange(const std::optional<cvlm::MgrRequestResult>& result, std::string after);

  std::string accountName();
  std::string freshText(const std::string& prefix);
  std::string ownPrefix() const;
  cvlm::ObjCvHost hostRecord(const std::string& name, const std::string& community, const std::string& text);
  // The host address as a network-order value.
  std::uint32_t hostAddressValue() const;
  std::optional<std::string> ownHostIn(const std::string& hosts) const;
  void checkOwnHost(const std::string& hosts, const char* what);

  void logIn();
  void addAccount();
  void setAccount();
  void changePassword();
  void deleteAccount();
  void listAccounts();
  void addHost();
  void modifyHost();
  void deleteHost();
  void listHosts();
  void uploadBook();
  void downloadBook();
  void hello();
  void setMail();
  void getMail();

  int index_;
  std::uint16_t port_;
  std::mt19937 random_;
  std::uint8_t sensorId_[cvlm::kSensorIdSize];
  std::uint8_t hostAddress_[4];
  int counter_ = 0;
  int answered_ = 0;
  bool lost_ = false;  // the last request got no answer
  bool serverMayDie_ = false;
  std::map<std::string, cvlm::AclAccount> accounts_;
  std::optional<cvlm::ObjCvHost> host_;
  // A change whose answer was lost: the account name and its state after it.
  std::optional<std::pair<std::string, std::optional<cvlm::AclAccount>>> pendingAccount_;
  std::optional<std::optional<cvlm::ObjCvHost>> pendingHost_;
  std::string book_;
  std::optional<std::string> pendingBook_;
  std::vector<MailChange> mailChanges_;
  std::vector<std::string> mismatches_;
};

}  // namespace cvlm_testing
