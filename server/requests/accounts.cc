// Account requests: 4 changePasswd, 24 getAcl (the console's log-in),
// 25 setAcl, 26 getAllAcl, 27 addAcl and 28 detAcl.
#include <cstring>
#include <optional>

#include "server/account_store.h"
#include "server/lock_file.h"
#include "server/log.h"
#include "server/request_records.h"
#include "server/requests/handlers.h"

namespace cvlm {

namespace {

const char* storedPassword(const char* record) { return record + offsetof(AclAccount, password); }

// A writer's view of ".acl": the lock is held for its lifetime. Empty file
// when the lock cannot be taken or the file cannot be read.
struct LockedAclFile {
  LockFileGuard lock{kAclFileName};
  std::optional<AclFile> file = lock.held() ? AclFile::read() : std::nullopt;
};

// A reader's view: waits for writers, takes no lock.
std::optional<AclFile> readAclFile() {
  waitForUnlock(kAclFileName);
  return AclFile::read();
}

std::int32_t changePassword(const ChangePasswdArgs& args) {
  LockedAclFile acl;
  if (!acl.file) {
    writeLog("Dispatcher::changePasswd::ACL file open to write error.");
    return MRR_TYPE_Password_Error;
  }
  AclFile& file = *acl.file;
  std::size_t index = file.find(args.userName);
  for (std::size_t i = 0; i < index; ++i) writeLog("Dispatcher::changePasswd::password compare error.");
  if (index == file.count()) {
    writeLog("Dispatcher::changePasswd::MRR_TYPE_Password_Error");
    return MRR_TYPE_Password_Error;
  }
  AclAccount account;
  std::memcpy(&account, file.record(index), sizeof account);
  std::memcpy(account.password, args.newPassword, kAclTextSize);
  file.replace(index, &account);
  if (!file.save()) {
    writeLog("Dispatcher::changePasswd::ACL file open to write error.");
    return MRR_TYPE_Password_Error;
  }
  return MRR_TYPE_Success;
}

std::int32_t logIn(const AclAccount& given, MgrRequestResult& result) {
  std::optional<AclFile> file = readAclFile();
  if (!file) {
    writeLog("Dispatcher::getAcl::ACL file open error\n");
    writeLog("Dispatcher::getAcl::MRR_TYPE_GetAcl_Error");
    return MRR_TYPE_GetAcl_Error;
  }
  std::size_t index = file->find(given.userName);
  if (index == file->count()) {
    writeLog("Dispatcher::getAcl::ACL account not found.");
    return MRR_TYPE_Password_Error;
  }
  const char* record = file->record(index);
  if (!aclTextEqual(storedPassword(record), given.password)) {
    writeLog("Dispatcher::getAcl::MRR_TYPE_Password_Error");
    return MRR_TYPE_Password_Error;
  }
  AclAccount stored;
  std::memcpy(&stored, record, sizeof stored);
  result.setPayload(stored);
  return MRR_TYPE_Success;
}

std::int32_t setAccount(const AclAccount& given) {
  LockedAclFile acl;
  if (!acl.file) {
    writeLog("Dispatcher::setAcl::ACL file open error");
    writeLog("Dispatcher::setAcl::MRR_TYPE_SetAcl_Error");
    return MRR_TYPE_SetAcl_Error;
  }
  AclFile& file = *acl.file;
  std::size_t index = file.find(given.userName);
  if (index == file.count()) {
    writeLog("Dispatcher::setAcl::ACL account not found.");
    return MRR_TYPE_Password_Error;
  }
  file.replace(index, &given);
  if (!file.save()) {
    writeLog("Dispatcher::setAcl::MRR_TYPE_SetAcl_Error");
    return MRR_TYPE_SetAcl_Error;
  }
  return MRR_TYPE_Success;
}

std::int32_t addAccount(const AclAccount& given) {
  LockedAclFile acl;
  if (!acl.file) {
    writeLog("Dispatcher::addAcl::ACL file open error");
    writeLog("Dispatcher::addAcl::MRR_TYPE_AddAcl_Error");
    return MRR_TYPE_AddAcl_Error;
  }
  AclFile& file = *acl.file;
  std::size_t index = file.find(given.userName);
  if (index == file.count() && file.full()) {
    writeLog("Dispatcher::addAcl::MRR_TYPE_AddAcl_Error");
    return MRR_TYPE_AddAcl_Error;
  }
  if (index == file.count()) {
    file.append(&given);
  } else if (aclTextEqual(storedPassword(file.record(index)), given.password)) {
    file.replace(index, &given);
  } else {
    writeLog("Dispatcher::addAcl::MRR_TYPE_Password_Error");
    return MRR_TYPE_Password_Error;
  }
  if (!file.save()) {
    writeLog("Dispatcher::addAcl::MRR_TYPE_AddAcl_Error");
    return MRR_TYPE_AddAcl_Error;
  }
  return MRR_TYPE_Success;
}

std::int32_t deleteAccount(const AclAccount& given) {
  LockedAclFile acl;
  if (!acl.file) {
    writeLog("Dispatcher::detAcl::MRR_TYPE_DelAcl_Error");
    return MRR_TYPE_DelAcl_Error;
  }
  AclFile& file = *acl.file;
  std::size_t index = file.find(given.userName);
  if (index == file.count() || !aclTextEqual(storedPassword(file.record(index)), given.password)) {
    writeLog("Dispatcher::detAcl::MRR_TYPE_Password_Error");
    return MRR_TYPE_Password_Error;
  }
  file.remove(index);
  if (!file.save()) {
    writeLog("Dispatcher::detAcl::MRR_TYPE_DelAcl_Error");
    return MRR_TYPE_DelAcl_Error;
  }
  return MRR_TYPE_Success;
}

}  // namespace

void changePasswd(UISocket& console, const RqH& header, MgrRequestResult& result) {
  answer(console, result, changePassword(header.argsAs<ChangePasswdArgs>()));
}

void getAcl(UISocket& console, const RqH& header, MgrRequestResult& result) {
  answer(console, result, logIn(header.argsAs<AclAccount>(), result));
}

void setAcl(UISocket& console, const RqH& header, MgrRequestResult& result) {
  answer(console, result, setAccount(header.argsAs<AclAccount>()));
}

void addAcl(UISocket& console, const RqH& header, MgrRequestResult& result) {
  answer(console, result, addAccount(header.argsAs<AclAccount>()));
}

void detAcl(UISocket& console, const RqH& header, MgrRequestResult& result) {
  answer(console, result, deleteAccount(header.argsAs<AclAccount>()));
}

void getAllAcl(UISocket& console, const RqH&, MgrRequestResult& result) {
  std::optional<AclFile> file = readAclFile();
  if (!file) {
    writeLog("Dispatcher::getAllAcl::ACL file open error!");
    writeLog("Dispatcher::getAllAcl::MRR_TYPE_getAllAcl_Error");
    answer(console, result, MRR_TYPE_getAllAcl_Error);
    return;
  }
  // Count and records come from one read, so they always agree.
  result.setPayload(RecordCountResult{static_cast<std::int32_t>(file->count())});
  if (!answer(console, result, MRR_TYPE_Success)) return;
  for (std::size_t i = 0; i < file->count(); ++i) {
    AclAccount unit;
    std::memcpy(&unit, file->record(i), sizeof unit);
    if (console.sendToUI(&unit, sizeof unit) != static_cast<long>(sizeof unit)) return;
  }
}

}  // namespace cvlm
