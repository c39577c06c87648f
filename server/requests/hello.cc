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
#include "server/dispatcher.h"
#include "server/email_settings.h"
#include "server/lock_file.h"
#include "server/log.h"

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
  unsigned char block[kMailInfoSize];
  settings.putMailInfo(block, 0);
  std::memcpy(contents.mailServer, block + kMailInfoServerAt, sizeof contents.mailServer);
  std::memcpy(contents.sender, block + kMailInfoSenderAt, sizeof contents.sender);
  std::memcpy(contents.user, block + kMailInfoUserAt, sizeof contents.user);
  std::memcpy(contents.options, block + kMailInfoOptionsAt, sizeof contents.options);
  contents.mailEntries.assign(reinterpret_cast<const char*>(settings.mailEntries()),
                              static_cast<std::size_t>(settings.mailCount()) * sizeof(MailEntry));
}

}  // namespace

std::size_t helloHostCount(const HelloContents& contents) {
  return std::min(contents.hostRecords.size() / kHelloHostRecordSize, kHelloMaxHosts);
}

std::size_t helloMailCount(const HelloContents& contents) {
  return std::min(contents.mailEntries.size() / kHelloMailEntrySize, kHelloMaxMailEntries);
}

void fillHelloResult(const char* version, const HelloContents& contents, MgrRequestResult& result) {
  formats::putInt32(&result, 4, MRR_TYPE_Success);
  char welcome[136];
  std::snprintf(welcome, sizeof welcome, "<V>%s</V> Welcome!\n", version);
  formats::putText(&result, 8, sizeof welcome, welcome);
  std::size_t n = helloHostCount(contents), m = helloMailCount(contents);
  formats::putInt32(&result, 144, static_cast<std::int32_t>(n));
  formats::putInt32(&result, 148, static_cast<std::int32_t>(m));
  std::memcpy(result.bytes() + 152, contents.mailServer, 32);
  std::memcpy(result.bytes() + 184, contents.sender, 32);
  std::memcpy(result.bytes() + 216, contents.user, 32);
  std::memcpy(result.bytes() + 248, contents.options, 4);
  formats::putInt32(&result, 252, static_cast<std::int32_t>(n * kHelloHostRecordSize + m * kHelloMailEntrySize));
}

std::string helloTrailer(const HelloContents& contents) {
  return contents.hostRecords.substr(0, helloHostCount(contents) * kHelloHostRecordSize) +
         contents.mailEntries.substr(0, helloMailCount(contents) * kHelloMailEntrySize);
}

void Dispatcher::hello(RqH&, MgrRequestResult& result) {
  writeLog("Dispatcher::hello()");
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

  writeLogf("Dispatcher::hello::UI login from %s", platform::dottedAddress(connection_.peerAddress()).c_str());
  fillHelloResult(version, contents, result);
  sendMRR(result);
  std::string trailer = helloTrailer(contents);
  connection_.sendToUI(trailer.data(), trailer.size());
}

int Dispatcher::readIniValue(const char* section, const char* key, char* out, std::size_t size) {
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

}  // namespace cvlm
