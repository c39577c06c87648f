// The sensor host database: load, locked read-modify-write of ".cvdb", and
// the operations find, add (with the sensor's ID), remove, modify and copy.
#include "server/cv_db.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "server/held_files.h"
#include "server/lock_file.h"
#include "server/log.h"
#include "server/sensor/sensor_link.h"

namespace cvlm {

namespace {
// Command 17: false when the sensor cannot be reached; a short exchange or a
// refusal throws the link's exception.
bool readSensorId(const std::string& address, const SensorLinkConfig& link, std::uint8_t* id) {
  cvrh request{};
  request.command = CVRH_GetCvId;
  CSocket socket(address, link);
  try {
    socket.connectSensor();
  } catch (const CreateSocketException&) {
    return false;
  }
  socket.sendRequest(request);
  cvret reply = socket.receiveReply();
  requireAccepted(reply);
  std::memcpy(id, reply.sensorId, kSensorIdSize);
  return true;
}
}  // namespace

CvDb::CvDb() { load(); }

bool CvDb::load() {
  waitForUnlock(kCvDbFile);
  return readFile();
}

bool CvDb::readFile() {
  hosts_.clear();
  loaded_ = false;
  if (!platform::fileExists(kCvDbFile)) platform::File::createExclusive(kCvDbFile);
  std::string bytes;
  if (!platform::readWholeFile(kCvDbFile, bytes, kMaxCvDbBytes)) return false;
  // Whole records only; a shorter piece at the end is ignored.
  hosts_.resize(bytes.size() / kCvHostSize);
  if (!hosts_.empty()) std::memcpy(hosts_.data(), bytes.data(), hosts_.size() * kCvHostSize);
  loaded_ = true;
  return true;
}

bool CvDb::save() {
  std::string_view bytes(reinterpret_cast<const char*>(hosts_.data()), hosts_.size() * kCvHostSize);
  return writeFileThroughTemp(kCvDbFile, bytes, std::string(kCvDbFile) + ".tmp");
}

bool CvDb::beginUpdate() {
  lockHeld_ = touchLockFile(kCvDbFile) == 0;
  // Never write without the lock: another writer's change could be lost.
  if (lockHeld_ && readFile()) return true;
  releaseLock();
  return false;
}

bool CvDb::endUpdate(bool changed) {
  bool saved = !changed || save();
  releaseLock();
  if (!saved) {
    writeLog("CvDb::save::Write .cvdb error!");
    // Keep the list as the file holds it.
    readFile();
  }
  return saved;
}

void CvDb::releaseLock() {
  // A lock that could not be taken may be another writer's: leave it.
  if (lockHeld_) untouchLockFile(kCvDbFile);
  lockHeld_ = false;
}

ObjCvHost* CvDb::find(const std::uint8_t* address) {
  for (ObjCvHost& host : hosts_)
    if (sameAddress(host.address, address)) return &host;
  return nullptr;
}

int CvDb::getCvId(const std::uint8_t* address, std::uint8_t* out) {
  const ObjCvHost* host = find(address);
  if (host == nullptr) return kCvDbNotFound;
  std::memcpy(out, host->sensorId, kSensorIdSize);
  const std::uint8_t* id = host->sensorId;
  writeLogf("Get Corvane ID: %d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  writeLogf("\t%x:%x:%x:%x:%x:%x:%x:%x:%x:%x:%x:%x\n", id[0], id[1], id[2], id[3], id[4], id[5], id[6], id[7],
            id[8], id[9], id[10], id[11]);
  return kCvDbDone;
}

int CvDb::add(ObjCvHost& host, const SensorLinkConfig& link) {
  std::string address = cvAddressText(host.address);
  if (!loaded_) return kCvDbFileError;
  if (find(host.address) != nullptr) return kCvDbAddressTaken;
  // The sensor may take long to answer: it is asked before the lock is taken.
  if (!readSensorId(address, link, host.sensorId)) return kCvDbNotFound;
  if (!beginUpdate()) return kCvDbFileError;
  if (find(host.address) != nullptr) {
    endUpdate(false);
    return kCvDbAddressTaken;
  }
  // Checked again under the lock: parallel adds never go past the limit.
  if (hosts_.size() >= static_cast<std::size_t>(kMaxCvHosts)) {
    endUpdate(false);
    return kCvDbFull;
  }
  hosts_.push_back(host);
  if (!endUpdate(true)) return kCvDbFileError;
  writeLogf("Add Corvane: %s", address.c_str());
  return kCvDbDone;
}

int CvDb::remove(const std::uint8_t* address) {
  if (!beginUpdate()) return kCvDbFileError;
  ObjCvHost* host = find(address);
  if (host == nullptr) {
    endUpdate(false);
    return kCvDbNotFound;
  }
  hosts_.erase(hosts_.begin() + (host - hosts_.data()));
  if (!endUpdate(true)) return kCvDbFileError;
  writeLogf("Del Corvane: %d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  return kCvDbDone;
}

int CvDb::modify(const std::uint8_t* oldAddress, const char* community, const char* name,
                 const std::uint8_t* newAddress, const char* newCommunity, const char* text1, const char* text2,
                 std::int32_t number1, std::int32_t number2, std::int32_t number3, std::uint8_t state) {
  if (!beginUpdate()) return kCvDbFileError;
  ObjCvHost* host = find(oldAddress);
  char quoted[kCvTextSize];
  copyCvText(quoted, community);  // as an add would have stored it
  int result = kCvDbDone;
  if (host == nullptr) result = kCvDbNotFound;
  else if (!sameCvText(host->community, quoted)) result = kCvDbCommunityMismatch;
  // Checked before anything is changed, so a taken address leaves the entry as it was.
  else if (!sameAddress(oldAddress, newAddress) && find(newAddress) != nullptr) result = kCvDbAddressTaken;
  if (result != kCvDbDone) {
    endUpdate(false);
    return result;
  }
  copyCvText(host->name, name);
  copyCvText(host->community, newCommunity);
  copyCvText(host->text1, text1);
  copyCvText(host->text2, text2);
  host->number1 = number1;
  host->number2 = number2;
  host->number3 = number3;
  host->state = state;
  std::memset(host->reserved2, 0, sizeof host->reserved2);
  std::memcpy(host->address, newAddress, sizeof host->address);
  if (!endUpdate(true)) return kCvDbFileError;
  writeLogf("Modify Corvane: %d.%d.%d.%d", oldAddress[0], oldAddress[1], oldAddress[2], oldAddress[3]);
  return kCvDbDone;
}

int CvDb::copyAll(void* buffer, std::size_t size) const {
  std::size_t n = std::min(hosts_.size(), size / kCvHostSize);
  if (n > 0) std::memcpy(buffer, hosts_.data(), n * kCvHostSize);
  return static_cast<int>(n);
}

}  // namespace cvlm
