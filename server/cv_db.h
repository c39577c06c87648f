// CvDb: the managed sensors of ".cvdb", loaded when created. Each change is
// written at once, under the file's lock, onto a fresh read of the file, so
// readers never write and concurrent writers keep each other's changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "server/constants.h"
#include "server/cv_host.h"
#include "server/sensor/sensor_link.h"

namespace cvlm {

inline constexpr const char* kCvDbFile = ".cvdb";
// The add request refuses a host beyond this many.
inline constexpr int kMaxCvHosts = 32;
// Largest ".cvdb" that is read: kMaxCvDbRecords records and a partial one; a
// larger file is unreadable.
inline constexpr std::size_t kMaxCvDbBytes = (kMaxCvDbRecords + 1) * kCvHostSize - 1;
// Results of the database's operations.
// Done: added, removed, changed, or the ID found.
inline constexpr int kCvDbDone = 1;
// The address is listed already (add), or belongs to another host (modify).
inline constexpr int kCvDbAddressTaken = 2;
// No host has the address; for an add, no sensor answered at it.
inline constexpr int kCvDbNotFound = 3;
// The community given does not match the host's (modify).
inline constexpr int kCvDbCommunityMismatch = 4;
// An add found the list already full when it came to write.
inline constexpr int kCvDbFull = 6;
// ".cvdb" exists but cannot be read, or the changed list cannot be written:
// nothing was changed.
inline constexpr int kCvDbFileError = -1;

class CvDb {
 public:
  CvDb();
  CvDb(const CvDb&) = delete;
  CvDb& operator=(const CvDb&) = delete;

  // Waits for the file's lock, then reads the list; a missing file is
  // created empty. False when the file exists but cannot be read.
  bool load();
  bool loaded() const { return loaded_; }

  // kCvDbDone and the sensor ID copied out, or kCvDbNotFound.
  int getCvId(const std::uint8_t* address, std::uint8_t* out);
  // Asks the sensor for its ID (command 17) and appends the host. kCvDbDone,
  // kCvDbAddressTaken (the sensor is not contacted), kCvDbNotFound (the
  // connect failed), kCvDbFull (another add filled the list meanwhile) or
  // kCvDbFileError. A short send or a short or refused reply throws the
  // sensor link's exception; nothing is added.
  int add(ObjCvHost& host, const SensorLinkConfig& link = {});
  // kCvDbDone, kCvDbNotFound or kCvDbFileError.
  int remove(const std::uint8_t* address);
  // kCvDbDone, kCvDbAddressTaken (the new address), kCvDbNotFound (the old
  // one), kCvDbCommunityMismatch or kCvDbFileError; only kCvDbDone changes
  // anything.
  int modify(const std::uint8_t* oldAddress, const char* community, const char* name,
             const std::uint8_t* newAddress, const char* newCommunity, const char* text1, const char* text2,
             std::int32_t number1, std::int32_t number2, std::int32_t number3, std::uint8_t state);
  // Copies the records (172 bytes each, list order) that fit into size bytes;
  // returns how many were copied.
  int copyAll(void* buffer, std::size_t size) const;
  int count() const { return static_cast<int>(hosts_.size()); }

 private:
  bool readFile();
  bool save();
  ObjCvHost* find(const std::uint8_t* address);
  // Takes the lock and reads the file afresh; false (lock released) when the
  // file cannot be read.
  bool beginUpdate();
  // Writes the list when changed, then releases the lock.
  bool endUpdate(bool changed);
  void releaseLock();

  std::vector<ObjCvHost> hosts_;
  bool loaded_ = false;
  bool lockHeld_ = false;
};

}  // namespace cvlm
