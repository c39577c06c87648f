// Account file: the built-in accounts, exclusive creation, whole-file reads
// and replacement through "acl.tmp".
#include "server/account_store.h"

#include <cerrno>
#include <cstring>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "server/constants.h"
#include "server/held_files.h"
#include "server/lock_file.h"

namespace cvlm {

namespace {

// Any directory entry of that name counts: it is never replaced by defaults.
bool aclFileExists() { return platform::entryExists(kAclFileName); }

// Writes the built-in accounts into "acl.tmp" and moves it into place
// without replacing anything, so ".acl" appears whole or not at all (a crash
// in the middle leaves no torn file that would never be refilled). True also
// when another writer created ".acl" first.
bool writeDefaultAclFile() {
  HeldAtomicFile file(kAclFileName, kAclTempFileName);
  if (!file.create()) return false;
  AclAccount accounts[2] = {builtInAccount(0), builtInAccount(1)};
  if (!file.write(accounts, sizeof accounts) || !file.finish()) return false;
  return file.commit(HeldAtomicFile::Commit::NoReplace) || errno == EEXIST;
}

}  // namespace

bool aclTextEqual(const char* a, const char* b) { return std::strncmp(a, b, kAclTextSize) == 0; }

AclAccount builtInAccount(int index) {
  AclAccount account{};
  bool operatorAccount = index == 0;
  formats::setFieldText(account.userName, operatorAccount ? kBuiltInOperatorUser : kBuiltInViewerUser);
  formats::setFieldText(account.password, operatorAccount ? kBuiltInOperatorPassword : kBuiltInViewerPassword);
  account.kind = operatorAccount ? 0 : 2;
  for (std::int32_t& right : account.rights) right = operatorAccount ? 2 : 0;
  const std::uint8_t address[4] = {192, 168, 168, 63};
  std::memcpy(account.address, address, 4);
  std::memset(account.mask, 255, 4);
  return account;
}

bool createDefaultAclFile() {
  waitForUnlock(kAclFileName);
  if (aclFileExists()) return true;
  LockFileGuard lock(kAclFileName);
  if (!lock.held()) return false;
  // Another request may have created it while this one waited for the lock.
  if (aclFileExists()) return true;
  return writeDefaultAclFile();
}

std::optional<AclFile> AclFile::read() {
  AclFile file;
  if (!platform::readWholeFile(kAclFileName, file.bytes_, kMaxAclFileBytes)) return std::nullopt;
  return file;
}

std::size_t AclFile::find(const char* userName) const {
  std::size_t i = 0;
  while (i < count() && !aclTextEqual(record(i), userName)) ++i;
  return i;
}

void AclFile::replace(std::size_t index, const void* record) {
  bytes_.replace(index * kAclRecordSize, kAclRecordSize, static_cast<const char*>(record), kAclRecordSize);
}

void AclFile::append(const void* record) {
  bytes_.resize(count() * kAclRecordSize);
  bytes_.append(static_cast<const char*>(record), kAclRecordSize);
}

void AclFile::remove(std::size_t index) {
  bytes_.resize(count() * kAclRecordSize);
  bytes_.erase(index * kAclRecordSize, kAclRecordSize);
}

bool AclFile::save() const { return writeFileThroughTemp(kAclFileName, bytes_, kAclTempFileName); }

}  // namespace cvlm
