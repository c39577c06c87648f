// E-mail alert settings: loading ".cvlmrc" (creating it with the defaults),
// checking its scrambled form, and saving it whole under its lock.
#include "server/email_settings.h"

#include <algorithm>
#include <cstring>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "server/lock_file.h"
#include "server/log.h"
#include "server/protocol.h"

namespace cvlm {

namespace {

enum class FileRead { Ok, Missing, Damaged };

bool countInRange(std::int32_t m) { return m >= 0 && m <= kMaxMailEntries; }

// Reads and checks ".cvlmrc"; record is filled only when the file is sound.
FileRead readSettingsFile(CvLmRecord& record) {
  std::string bytes;
  // Bytes after the record are never looked at, so never read.
  if (!platform::readFileStart(kEmailSettingsFile, bytes, kCvLmFileSize))
    return platform::fileExists(kEmailSettingsFile) ? FileRead::Damaged : FileRead::Missing;
  if (bytes.size() < kCvLmFileSize) return FileRead::Damaged;
  unsigned char* file = reinterpret_cast<unsigned char*>(bytes.data());
  if (decodeRecord(file, kCvLmFileSize) != 1) return FileRead::Damaged;
  if (!countInRange(formats::getInt32(file + 2, offsetof(CvLmRecord, mailCount)))) return FileRead::Damaged;
  std::memcpy(&record, file + 2, sizeof record);
  return FileRead::Ok;
}

bool writeSettingsFile(const CvLmRecord& record) {
  std::string bytes(kCvLmFileSize, '\0');
  unsigned char* file = reinterpret_cast<unsigned char*>(bytes.data());
  std::memcpy(file + 2, &record, sizeof record);
  encodeRecord(file, kCvLmFileSize);
  return writeFileThroughTemp(kEmailSettingsFile, bytes, std::string(kEmailSettingsFile) + ".tmp");
}

}  // namespace

MailInfo readMailInfo(const void* record, std::size_t offset) {
  const unsigned char* block = static_cast<const unsigned char*>(record) + offset;
  MailInfo info;
  info.mailCount = formats::getInt32(block, kMailInfoCountAt);
  info.mailServer = formats::getText(block, kMailInfoServerAt, kMailTextSize);
  info.sender = formats::getText(block, kMailInfoSenderAt, kMailTextSize);
  info.user = formats::getText(block, kMailInfoUserAt, kMailTextSize);
  std::memcpy(info.options.data(), block + kMailInfoOptionsAt, info.options.size());
  return info;
}

ObjCvLm::ObjCvLm() : state_(load()) {}

int ObjCvLm::mailCount() const { return formats::getInt32(record_.mailCount, 0); }

void ObjCvLm::putMailInfo(void* record, std::size_t offset) const {
  unsigned char* block = static_cast<unsigned char*>(record) + offset;
  formats::putInt32(block, kMailInfoCountAt, mailCount());
  formats::putText(block, kMailInfoServerAt, kMailTextSize, formats::getText(record_.mailServer, 0, sizeof record_.mailServer));
  formats::putText(block, kMailInfoSenderAt, kMailTextSize, formats::getText(record_.sender, 0, sizeof record_.sender));
  formats::putText(block, kMailInfoUserAt, kMailTextSize, formats::getText(record_.user, 0, sizeof record_.user));
  std::memcpy(block + kMailInfoOptionsAt, record_.options, sizeof record_.options);
}

void ObjCvLm::setMailInfo(const MailInfo& info, const MailEntry* entries) {
  int m = std::clamp<std::int32_t>(info.mailCount, 0, kMaxMailEntries);
  formats::putInt32(record_.mailCount, 0, m);
  formats::putText(record_.mailServer, 0, sizeof record_.mailServer, info.mailServer);
  formats::putText(record_.sender, 0, sizeof record_.sender, info.sender);
  formats::putText(record_.user, 0, sizeof record_.user, info.user);
  std::memcpy(record_.options, info.options.data(), sizeof record_.options);
  std::memset(record_.entries, 0, sizeof record_.entries);
  if (m > 0) std::memcpy(record_.entries, entries, sizeof(MailEntry) * static_cast<std::size_t>(m));
}

bool ObjCvLm::save() const {
  bool written;
  {
    LockFileGuard lock(kEmailSettingsFile);
    written = writeSettingsFile(record_);
  }
  if (!written) writeLog("ObjCvLm::save::Settings file write error.");
  return written;
}

ObjCvLm::LoadState ObjCvLm::load() {
  waitForUnlock(kEmailSettingsFile);
  FileRead read = readSettingsFile(record_);
  if (read == FileRead::Missing) {
    // Create it under the lock, unless another request did while we waited.
    LockFileGuard lock(kEmailSettingsFile);
    read = readSettingsFile(record_);
    if (read == FileRead::Missing) {
      setDefaults();
      if (writeSettingsFile(record_)) return LoadState::Created;
      writeLog("ObjCvLm::load::Settings file can't be created.");
      return LoadState::Defaults;
    }
  }
  if (read == FileRead::Ok) return LoadState::Loaded;
  writeLog("ObjCvLm::load::Settings file damaged, defaults used.");
  setDefaults();
  return LoadState::Defaults;
}

void ObjCvLm::setDefaults() {
  record_ = CvLmRecord{};
  formats::putText(record_.owner, 0, sizeof record_.owner, kBuiltInOperatorUser);
  formats::putText(record_.mailServer, 0, sizeof record_.mailServer, kDefaultMailServer);
  formats::putText(record_.sender, 0, sizeof record_.sender, kDefaultMailSender);
  formats::putText(record_.user, 0, sizeof record_.user, kDefaultMailUser);
  formats::putText(record_.subject, 0, sizeof record_.subject, kDefaultMailSubject);
  record_.options[0] = 1;
}

}  // namespace cvlm
