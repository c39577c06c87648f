// Request 1, hello: the server version from "cvlm.ini", the e-mail settings
// and the sensor host list.
#include "server/requests/hello.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "formats/byte_order.h"
#include "platform/net.h"
#include "server/cv_db.h"
#include "server/email_settings.h"
#include "server/lock_file.h"
#include "server/log.h"
#include "server/requests/handlers.h"

namespace cvlm {

namespace {

constexpr const char* kIniFileName = "cvlm.ini";

// One line of "cvlm.ini" applied to the current section, key and value.
struct IniScan {
  std::string section, key, value;

  void apply(const char* line) {
    std::size_t length = std::strlen(line);
    if (length == 0) {
      value.clear();
    } else if (line[0] == '[') {
      const char* name = line + 1;
      const char* end = std::strchr(name, ']');
      section.assign(name, end ? static_cast<std::size_t>(end - name) : std::strlen(name));
      // A key of an earlier section must not match in this one.
      key.clear();
      value.clear();
    } else if (std::strchr(line, '=')) {
      const char* start = line + std::strspn(line, "=");
      const char* equals = std::strchr(start, '=');
      if (!equals) {
        key = start;
        value.clear();
        return;
      }
      key.assign(start, static_cast<std::size_t>(equals - start));
      const char* text = equals + 1;
      value.assign(text, std::strcspn(text, "="));
    }
  }
};

// Reads one line of a file opened as text: CR LF reads as LF; at most
// size - 1 characters, the line end kept. False at the end of the file.
bool readTextLine(std::FILE* file, char* line, std::size_t size) {
  std::size_t n = 0;
  while (n + 1 < size) {
    int c = std::getc(file);
    if (c == EOF) break;
    if (c == '\r') {
      int next = std::getc(file);
      if (next == '\n') c = '\n';
      else if (next != EOF) std::ungetc(next, file);
    }
    line[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  line[n] = '\0';
  return n > 0;
}

// The mail block and entries of the e-mail settings; hello never saves them.
void addMailSettings(const ObjCvLm& settings, HelloContents& contents) {
  MailInfoBlock block = settings.mailInfoBlock();
  std::memcpy(contents.mailServer, block.mailServer, sizeof contents.mailServer);
  std::memcpy(contents.sender, block.sender, sizeof contents.sender);
  std::memcpy(contents.user, block.user, sizeof contents.user);
  std::memcpy(contents.options, block.options, sizeof contents.options);
  contents.mailEntries.assign(reinterpret_cast<const char*>(settings.mailEntries()),
                              static_cast<std::size_t>(settings.mailCount()) * sizeof(MailEntry));
}

// Value of key in section of "cvlm.ini", at most size bytes; 1 found, 0 not.
int readIniValue(const char* section, const char* key, char* out, std::size_t size) {
  waitForUnlock(kIniFileName);
  std::FILE* file = std::fopen(kIniFileName, "r");
  if (!file) return 0;
  std::memset(out, 0, std::min<std::size_t>(size, 4));
  IniScan scan;
  char line[1024];
  while (readTextLine(file, line, sizeof line)) {
    scan.apply(line);
    if (scan.section == section && scan.key == key) {
      std::memset(out, 0, size);
      std::memcpy(out, scan.value.data(), std::min(size, scan.value.size()));
      std::fclose(file);
      return 1;
    }
  }
  std::fclose(file);
  return 0;
}

}  // namespace

std::size_t helloHostCount(const HelloContents& contents) {
  return std::min(contents.hostRecords.size() / kHelloHostRecordSize, kHelloMaxHosts);
}

std::size_t helloMailCount(const HelloContents& contents) {
  return std::min(contents.mailEntries.size() / kHelloMailEntrySize, kHelloMaxMailEntries);
}

void fillHelloResult(const char* version, const HelloContents& contents, MgrRequestResult& result) {
  result.type = MRR_TYPE_Success;
  HelloResult hello{};
  char welcome[sizeof hello.welcome];
  std::snprintf(welcome, sizeof welcome, "<V>%s</V> Welcome!\n", version);
  formats::setFieldText(hello.welcome, welcome);
  std::size_t n = helloHostCount(contents), m = helloMailCount(contents);
  hello.hostCount = static_cast<std::int32_t>(n);
  hello.mail.mailCount = static_cast<std::int32_t>(m);
  std::memcpy(hello.mail.mailServer, contents.mailServer, sizeof hello.mail.mailServer);
  std::memcpy(hello.mail.sender, contents.sender, sizeof hello.mail.sender);
  std::memcpy(hello.mail.user, contents.user, sizeof hello.mail.user);
  std::memcpy(hello.mail.options, contents.options, sizeof hello.mail.options);
  hello.trailerSize = static_cast<std::int32_t>(n * kHelloHostRecordSize + m * kHelloMailEntrySize);
  result.setPayload(hello);
}

std::string helloTrailer(const HelloContents& contents) {
  return contents.hostRecords.substr(0, helloHostCount(contents) * kHelloHostRecordSize) +
         contents.mailEntries.substr(0, helloMailCount(contents) * kHelloMailEntrySize);
}

void hello(UISocket& console, const RqH&, MgrRequestResult& result) {
  // One byte more than is read, so the version always ends in a terminator.
  char version[kHelloVersionSize + 1] = {};
  if (readIniValue("System", "Version", version, kHelloVersionSize) == 0) std::strcpy(version, "V0.0");

  // The e-mail settings and the sensor host database are loaded here and
  // copied into contents; the e-mail settings are not written back.
  HelloContents contents;
  addMailSettings(ObjCvLm(), contents);
  CvDb hosts;
  contents.hostRecords.resize(static_cast<std::size_t>(hosts.count()) * kCvHostSize);
  hosts.copyAll(contents.hostRecords.data(), contents.hostRecords.size());

  writeLogf("Dispatcher::hello::UI login from %s", platform::dottedAddress(console.peerAddress()).c_str());
  fillHelloResult(version, contents, result);
  console.sendMRR(result);
  std::string trailer = helloTrailer(contents);
  console.sendToUI(trailer.data(), trailer.size());
}

}  // namespace cvlm
