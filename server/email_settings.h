// E-mail alert settings: the `ObjCvLm` record kept scrambled in ".cvlmrc",
// its defaults, and the mail block that hello and requests 11 and 12 carry.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "server/constants.h"
#include "server/request_records.h"

namespace cvlm {

// One recipient address, zero-padded; the server does not interpret it.
struct MailEntry {
  char text[64];
};
static_assert(sizeof(MailEntry) == 64);

// The settings record; the same bytes are the payload of ".cvlmrc".
struct CvLmRecord {
  char owner[16];             // never changed by a request and never sent
  std::uint8_t mailCount[4];  // m, 32-bit little-endian, 0 to 64
  char mailServer[32];
  char sender[32];
  char user[32];
  char subject[128];  // never changed by a request and never sent
  std::uint8_t options[4];
  MailEntry entries[kMaxMailEntries];  // slots from m on are zero
};
static_assert(sizeof(CvLmRecord) == 4344);
static_assert(offsetof(CvLmRecord, mailCount) == 16);
static_assert(offsetof(CvLmRecord, mailServer) == 20);
static_assert(offsetof(CvLmRecord, sender) == 52);
static_assert(offsetof(CvLmRecord, user) == 84);
static_assert(offsetof(CvLmRecord, subject) == 116);
static_assert(offsetof(CvLmRecord, options) == 244);
static_assert(offsetof(CvLmRecord, entries) == 248);

// ".cvlmrc": two salt bytes, the scrambled record, one check byte.
inline constexpr std::size_t kCvLmFileSize = 2 + sizeof(CvLmRecord) + 1;
static_assert(kCvLmFileSize == 4347);

// The mail block (MailInfoBlock) as request 12 carries it in its header and
// request 11 and hello in their results, with its texts as strings.
struct MailInfo {
  std::int32_t mailCount = 0;
  std::string mailServer;
  std::string sender;
  std::string user;
  std::array<std::uint8_t, 4> options{};
};
// The block's values; texts are taken bounded by their field.
MailInfo readMailInfo(const MailInfoBlock& block);

// The settings object: loads ".cvlmrc" when constructed (creating a missing
// one with the defaults); apart from that only save() writes the file.
class ObjCvLm {
 public:
  enum class LoadState {
    Loaded,    // the file was read and checked
    Created,   // the file was missing and has been written with the defaults
    Defaults,  // missing and not creatable, unreadable or damaged: defaults, file left as it is
  };

  ObjCvLm();

  LoadState loadState() const { return state_; }
  const CvLmRecord& record() const { return record_; }
  int mailCount() const;
  // The m entries in use, m * 64 bytes.
  const MailEntry* mailEntries() const { return record_.entries; }

  // The mail block of the settings (texts at most 31 characters).
  MailInfoBlock mailInfoBlock() const;
  // Replaces m, server, sender, user, options and all 64 slots; info's count
  // must be 0 to 64 and entries must hold that many.
  void setMailInfo(const MailInfo& info, const MailEntry* entries);

  // Writes ".cvlmrc" whole (temporary file, then rename) under its lock.
  bool save() const;

 private:
  LoadState load();
  void setDefaults();

  CvLmRecord record_{};
  LoadState state_;
};

}  // namespace cvlm
