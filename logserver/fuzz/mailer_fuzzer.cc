// libFuzzer target for the alert mailer: MailAlert::prepare reads "log.ini",
// a "maillist" and a rule backup written from the input, and mails the
// input's alert batch to an SMTP peer on 127.0.0.N that answers with the
// input's bytes.
//
// Input: byte 0 the flags, bytes 1-4 the sensor address, then four pieces
// separated by "\n--\n" (missing ones are empty):
//   1. the peer's replies, all sent when the mailer connects;
//   2. the "maillist" bytes;
//   3. the rule backup bytes;
//   4. the alert batch: 24-byte alert records, at most 200, a trailing
//      partial record dropped (the session hands the mailer whole records).
// Flags: bits 0-1 how the peer ends (0 shuts down its sending side, 1 stays
// silent, 2 and 3 close at once); bits 2-3 the backup's name (0
// "Rule.a.b.c.d.bk", 1 "rule.a.b.c.d.bk", 2 "RULE.a.b.c.d.BK", 3 no backup);
// bit 4 a ".lck" beside the backup; bit 5 "maillist" as given, else the
// peer's address goes before its words; bit 6 no "maillist"; bit 7 the backup
// piece is a list of 72-byte record heads (id, mark, name), each padded to a
// whole record (a trailing shorter head stays a partial record).
//
// The mail server is always the peer: a "maillist" as given that names
// another address gets the peer's address put before its words.
//
// Besides the sanitizers, a run fails when prepare gives 1 after connecting,
// when what the peer received is not a well-formed dialogue cut short at
// some point (see checkDialogue), or when it leaves a descriptor open.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/rule_record.h"
#include "logserver/console_output.h"
#include "logserver/fuzz/reply_bytes_peer.h"
#include "logserver/log_records.h"
#include "logserver/mail_alert.h"
#include "logserver/mail_list.h"
#include "platform/net.h"
#include "platform_testing/scratch_dir.h"

namespace {

using halvern_fuzz::ReplyBytesPeer;

constexpr std::string_view kSeparator = "\n--\n";
constexpr std::size_t kHeaderBytes = 5;  // flags and sensor address
constexpr std::size_t kPieces = 4;
constexpr std::size_t kRecordHead = 72;  // id, mark and name of a rule record
constexpr char kDataDir[] = "data";
// Short waits: the peer's bytes are there at once, or never.
constexpr int kConnectTimeoutMs = 1000;
constexpr int kReplyTimeoutMs = 20;

constexpr unsigned kEndMask = 0x03;
constexpr unsigned kBackupNameShift = 2;
constexpr unsigned kLockFlag = 0x10;
constexpr unsigned kMailListAsGiven = 0x20;
constexpr unsigned kNoMailList = 0x40;
constexpr unsigned kPackedBackup = 0x80;

std::unique_ptr<ReplyBytesPeer> peer;
std::string dataDir;  // absolute

[[noreturn]] void fail(const std::string& why) {
  std::fprintf(stderr, "mailer fuzzer: %s\n", why.c_str());
  std::abort();
}

std::vector<std::string> splitPieces(std::string_view rest) {
  std::vector<std::string> pieces;
  while (pieces.size() + 1 < kPieces) {
    std::size_t at = rest.find(kSeparator);
    if (at == std::string_view::npos) break;
    pieces.emplace_back(rest.substr(0, at));
    rest.remove_prefix(at + kSeparator.size());
  }
  pieces.emplace_back(rest);
  pieces.resize(kPieces);
  return pieces;
}

ReplyBytesPeer::End peerEnd(unsigned flags) {
  constexpr ReplyBytesPeer::End kEnds[] = {ReplyBytesPeer::End::ShutDown, ReplyBytesPeer::End::Silent,
                                           ReplyBytesPeer::End::Close, ReplyBytesPeer::End::Close};
  return kEnds[flags & kEndMask];
}

// A plain write: the scratch files need no fsync.
void writeFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) std::abort();
}

// The mail server that prepare would take from the file at path (0 for none).
std::uint32_t mailServerOf(const std::string& path) {
  halvern::MailList list;
  if (!halvern::readMailList(path, list)) return 0;
  return platform::parseAddress(list.server);
}

// Writes "maillist" so that its mail server is the peer or none.
void writeMailList(const std::string& bytes, bool asGiven) {
  std::string path = dataDir + "/" + halvern::kMailListFile;
  if (asGiven) {
    writeFile(path, bytes);
    std::uint32_t server = mailServerOf(path);
    if (server == 0 || server == peer->addressValue()) return;
  }
  std::string count = bytes.substr(0, 4);
  count.resize(4, '\0');
  writeFile(path, count + " " + peer->address() + " " + (bytes.size() > 4 ? bytes.substr(4) : std::string()));
  if (mailServerOf(path) != peer->addressValue()) fail("maillist names a server other than the peer");
}

// Form 0 to 2: the name the management server writes, lower case, upper case.
std::string backupName(unsigned form, const halvern::Ipv4Address& sensor) {
  constexpr const char* kPrefixes[] = {"Rule.", "rule.", "RULE."};
  constexpr const char* kSuffixes[] = {".bk", ".bk", ".BK"};
  return kPrefixes[form] + halvern::dottedText(sensor) + kSuffixes[form];
}

std::string backupBytes(const std::string& piece, bool packed) {
  if (!packed) return piece;
  std::string bytes;
  for (std::size_t at = 0; at < piece.size(); at += kRecordHead) {
    std::string record = piece.substr(at, kRecordHead);
    if (record.size() == kRecordHead) record.resize(sizeof(formats::BRule), '\0');
    bytes += record;
  }
  return bytes;
}

std::vector<halvern::AlertRecord> alertBatch(const std::string& piece) {
  std::size_t count = std::min<std::size_t>(piece.size() / sizeof(halvern::AlertRecord), halvern::kMaxAlerts);
  std::vector<halvern::AlertRecord> alerts(count);
  for (std::size_t i = 0; i < count; ++i)
    alerts[i] = halvern::decodeAlertRecord(piece.data() + i * sizeof(halvern::AlertRecord));
  return alerts;
}

// MAIL, one to ten RCPTs, DATA, a mail text that ends only at its
// end-of-data line, QUIT and nothing after it; a last line without its line
// end is not examined.
void checkDialogue(const std::string& sent) {
  enum class Step { Mail, Rcpt, Text, Quit, Done } step = Step::Mail;
  const std::string mail = std::string("MAIL FROM:<") + halvern::kMailSender + ">";
  int recipients = 0;
  for (std::size_t at = 0, end; (end = sent.find("\r\n", at)) != std::string::npos; at = end + 2) {
    std::string_view line(sent.data() + at, end - at);
    switch (step) {
      case Step::Mail:
        if (line != mail) fail("first command is not MAIL: " + std::string(line));
        step = Step::Rcpt;
        break;
      case Step::Rcpt:
        if (line == "DATA" && recipients > 0) {
          step = Step::Text;
        } else if (!line.starts_with("RCPT TO:<") || !line.ends_with(">") || ++recipients > halvern::kMaxRecipients) {
          fail("unexpected command before the mail text: " + std::string(line));
        }
        break;
      case Step::Text:
        if (line == ".") step = Step::Quit;
        break;
      case Step::Quit:
        if (line != "QUIT") fail("unexpected command after the mail text: " + std::string(line));
        step = Step::Done;
        break;
      case Step::Done:
        fail("bytes after QUIT");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  platform_testing::enterScratchDirectory("halvern-mailer-fuzz");
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  halvern::setOutputCapture([](bool, std::string_view) {});
  char cwd[4096];
  if (!::getcwd(cwd, sizeof cwd)) std::abort();
  dataDir = std::string(cwd) + "/" + kDataDir;
  peer = std::make_unique<ReplyBytesPeer>();
  std::atexit([] { peer.reset(); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeaderBytes) return 0;
  int descriptors = platform::openDescriptorCount();
  unsigned flags = data[0];
  halvern::Ipv4Address sensor = halvern::getAddress(data, 1);
  std::vector<std::string> pieces =
      splitPieces(std::string_view(reinterpret_cast<const char*>(data) + kHeaderBytes, size - kHeaderBytes));

  if (::mkdir(kDataDir, 0700) != 0) std::abort();
  writeFile(halvern::kLogIniFile, "[IDS]\nIP=127.0.0.1\n[DIR]\nPATH=" + dataDir + "\n");
  if (!(flags & kNoMailList)) writeMailList(pieces[1], flags & kMailListAsGiven);
  unsigned nameForm = flags >> kBackupNameShift & 3;
  if (nameForm != 3) {
    std::string backup = dataDir + "/" + backupName(nameForm, sensor);
    writeFile(backup, backupBytes(pieces[2], flags & kPackedBackup));
    if (flags & kLockFlag) writeFile(backup + ".lck", "");
  }
  std::vector<halvern::AlertRecord> alerts = alertBatch(pieces[3]);

  halvern::MailerSettings settings;
  settings.smtpPort = peer->port();
  settings.connectTimeoutMs = kConnectTimeoutMs;
  settings.replyTimeoutMs = kReplyTimeoutMs;
  settings.lockWaitMs = 0;
  peer->start(pieces[0], peerEnd(flags));
  int result = halvern::MailAlert(settings).prepare(alerts.data(), static_cast<int>(alerts.size()), sensor);
  peer->stop();
  if (result != 0 && peer->accepted()) fail("prepare gave 1 after connecting");
  checkDialogue(peer->received());
  if (platform::openDescriptorCount() != descriptors) fail("a descriptor was left open");

  platform_testing::emptyWorkingDirectory();
  return 0;
}
