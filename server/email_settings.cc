// E-mail alert settings: loading ".cvlmrc" (creating it with the defaults),
// checking its scrambled form, and saving it whole under its lock.
#include "server/email_settings.h"

#include <algorithm>
#include <cstring>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "server/held_files.h"
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

MailInfo readMailInfo(const MailInfoBlock& block) {
  MailInfo info;
  info.mailCount = block.mailCount;
  info.mailServer = formats::fieldText(block.mailServer);
  info.sender = formats::fieldText(block.sender);
  info.user = formats::fieldText(block.user);
  std::memcpy(info.options.data(), block.options, info.options.size());
  return info;
}

ObjCvLm::ObjCvLm() : state_(load()) {}

int ObjCvLm::mailCount() const { return formats::getInt32(record_.mailCount, 0); }

MailInfoBlock ObjCvLm::mailInfoBlock() const {
  MailInfoBlock block{};
  block.mailCount = mailCount();
  formats::setFieldText(block.mailServer, formats::fieldText(record_.mailServer));
  formats::setFieldText(block.sender, formats::fieldText(record_.sender));
  formats::setFieldText(block.user, formats::fieldText(record_.user));
  std::memcpy(block.options, record_.options, sizeof record_.options);
  return block;
}

void ObjCvLm::setMailInfo(const MailInfo& info, const MailEntry* entries) {
  int m = std::clamp<std::int32_t>(info.mailCount, 0, kMaxMailEntries);
  formats::putInt32(record_.mailCount, 0, m);
  formats::setFieldText(record_.mailServer, info.mailServer);
  formats::setFieldText(record_.sender, info.sender);
  formats::setFieldText(record_.user, info.user);
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
  formats::setFieldText(record_.owner, kBuiltInOperatorUser);
  formats::setFieldText(record_.mailServer, kDefaultMailServer);
  formats::setFieldText(record_.sender, kDefaultMailSender);
  formats::setFieldText(record_.user, kDefaultMailUser);
  formats::setFieldText(record_.subject, kDefaultMailSubject);
  record_.options[0] = 1;
}

}  // namespace cvlm
