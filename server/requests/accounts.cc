// Account requests: 4 changePasswd, 24 getAcl (the console's log-in),
// 25 setAcl, 26 getAllAcl, 27 addAcl and 28 detAcl.
#include <cstring>
#include <optional>

#include "formats/byte_order.h"
#include "server/account_store.h"
#include "server/dispatcher.h"
#include "server/lock_file.h"
#include "server/log.h"

namespace cvlm {

namespace {

// Header offsets of the account arguments.
constexpr std::size_t kUserNameAt = 8;
constexpr std::size_t kPasswordAt = 38;
constexpr std::size_t kNewPasswordAt = 40;
constexpr std::size_t kAccountAt = 8;

const char* textAt(const RqH& header, std::size_t offset) {
  return reinterpret_cast<const char*>(&header) + offset;
}

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

void setResult(MgrRequestResult& result, std::int32_t type) { formats::putInt32(&result, 4, type); }

std::int32_t changePassword(const RqH& header) {
  LockedAclFile acl;
  if (!acl.file) {
    writeLog("Dispatcher::changePasswd::ACL file open to write error.");
    return MRR_TYPE_Password_Error;
  }
  AclFile& file = *acl.file;
  std::size_t index = file.find(textAt(header, kUserNameAt));
  for (std::size_t i = 0; i < index; ++i) writeLog("Dispatcher::changePasswd::password compare error.");
  if (index == file.count()) {
    writeLog("Dispatcher::changePasswd::MRR_TYPE_Password_Error");
    return MRR_TYPE_Password_Error;
  }
  AclAccount account;
  std::memcpy(&account, file.record(index), sizeof account);
  std::memcpy(account.password, textAt(header, kNewPasswordAt), kAclTextSize);
  file.replace(index, &account);
  if (!file.save()) {
    writeLog("Dispatcher::changePasswd::ACL file open to write error.");
    return MRR_TYPE_Password_Error;
  }
  return MRR_TYPE_Success;
}

std::int32_t logIn(const RqH& header, MgrRequestResult& result) {
  std::optional<AclFile> file = readAclFile();
  if (!file) {
    writeLog("Dispatcher::getAcl::ACL file open error\n");
    writeLog("Dispatcher::getAcl::MRR_TYPE_GetAcl_Error");
    return MRR_TYPE_GetAcl_Error;
  }
  std::size_t index = file->find(textAt(header, kUserNameAt));
  if (index == file->count()) {
    writeLog("Dispatcher::getAcl::ACL account not found.");
    return MRR_TYPE_Password_Error;
  }
  const char* record = file->record(index);
  if (!aclTextEqual(storedPassword(record), textAt(header, kPasswordAt))) {
    writeLog("Dispatcher::getAcl::MRR_TYPE_Password_Error");
    return MRR_TYPE_Password_Error;
  }
  std::memcpy(result.bytes() + kPayloadOffset, record, kAclRecordSize);
  return MRR_TYPE_Success;
}

std::int32_t setAccount(const RqH& header) {
  LockedAclFile acl;
  if (!acl.file) {
    writeLog("Dispatcher::setAcl::ACL file open error");
    writeLog("Dispatcher::setAcl::MRR_TYPE_SetAcl_Error");
    return MRR_TYPE_SetAcl_Error;
  }
  AclFile& file = *acl.file;
  std::size_t index = file.find(textAt(header, kUserNameAt));
  if (index == file.count()) {
    writeLog("Dispatcher::setAcl::ACL account not found.");
    return MRR_TYPE_Password_Error;
  }
  file.replace(index, textAt(header, kAccountAt));
  if (!file.save()) {
    writeLog("Dispatcher::setAcl::MRR_TYPE_SetAcl_Error");
    return MRR_TYPE_SetAcl_Error;
  }
  return MRR_TYPE_Success;
}

std::int32_t addAccount(const RqH& header) {
  LockedAclFile acl;
  if (!acl.file) {
    writeLog("Dispatcher::addAcl::ACL file open error");
    writeLog("Dispatcher::addAcl::MRR_TYPE_AddAcl_Error");
    return MRR_TYPE_AddAcl_Error;
  }
  AclFile& file = *acl.file;
  std::size_t index = file.find(textAt(header, kUserNameAt));
  if (index == file.count() && file.full()) {
    writeLog("Dispatcher::addAcl::MRR_TYPE_AddAcl_Error");
    return MRR_TYPE_AddAcl_Error;
  }
  if (index == file.count()) {
    file.append(textAt(header, kAccountAt));
  } else if (aclTextEqual(storedPassword(file.record(index)), textAt(header, kPasswordAt))) {
    file.replace(index, textAt(header, kAccountAt));
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

std::int32_t deleteAccount(const RqH& header) {
  LockedAclFile acl;
  if (!acl.file) {
    writeLog("Dispatcher::detAcl::MRR_TYPE_DelAcl_Error");
    return MRR_TYPE_DelAcl_Error;
  }
  AclFile& file = *acl.file;
  std::size_t index = file.find(textAt(header, kUserNameAt));
  if (index == file.count() || !aclTextEqual(storedPassword(file.record(index)), textAt(header, kPasswordAt))) {
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

void Dispatcher::changePasswd(RqH& header, MgrRequestResult& result) {
  writeLog("Dispatcher::changePasswd()");
  setResult(result, changePassword(header));
  sendMRR(result);
}

void Dispatcher::getAcl(RqH& header, MgrRequestResult& result) {
  writeLog("Dispatcher::getAcl()");
  setResult(result, logIn(header, result));
  sendMRR(result);
}

void Dispatcher::setAcl(RqH& header, MgrRequestResult& result) {
  writeLog("Dispatcher::setAcl()");
  setResult(result, setAccount(header));
  sendMRR(result);
}

void Dispatcher::addAcl(RqH& header, MgrRequestResult& result) {
  writeLog("Dispatcher::addAcl()");
  setResult(result, addAccount(header));
  sendMRR(result);
}

void Dispatcher::detAcl(RqH& header, MgrRequestResult& result) {
  writeLog("Dispatcher::detAcl()");
  setResult(result, deleteAccount(header));
  sendMRR(result);
}

void Dispatcher::getAllAcl(RqH&, MgrRequestResult& result) {
  writeLog("Dispatcher::getAllAcl()");
  std::optional<AclFile> file = readAclFile();
  if (!file) {
    writeLog("Dispatcher::getAllAcl::ACL file open error!");
    writeLog("Dispatcher::getAllAcl::MRR_TYPE_getAllAcl_Error");
    setResult(result, MRR_TYPE_getAllAcl_Error);
    sendMRR(result);
    return;
  }
  // Count and records come from one read, so they always agree.
  setResult(result, MRR_TYPE_Success);
  formats::putInt32(&result, kPayloadOffset, static_cast<std::int32_t>(file->count()));
  if (!sendMRR(result)) return;
  for (std::size_t i = 0; i < file->count(); ++i) {
    AclAccount unit;
    std::memcpy(&unit, file->record(i), sizeof unit);
    if (connection_.sendToUI(&unit, sizeof unit) != static_cast<long>(sizeof unit)) return;
  }
}

}  // namespace cvlm
