// The account file ".acl": 144-byte AclAccount records, created with the two
// built-in accounts when missing, read whole and replaced whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "server/constants.h"

namespace cvlm {

inline constexpr const char* kAclFileName = ".acl";
inline constexpr const char* kAclTempFileName = "acl.tmp";
inline constexpr std::size_t kAclTextSize = 30;

// One account, the same layout in the file and on the wire.
struct AclAccount {
  char userName[kAclTextSize];
  char password[kAclTextSize];
  std::int32_t kind;
  std::int32_t rights[10];
  std::uint8_t address[4];
  std::uint8_t mask[4];
  std::uint8_t reserved[32];
};
static_assert(sizeof(AclAccount) == 144);
static_assert(offsetof(AclAccount, password) == 30);
static_assert(offsetof(AclAccount, kind) == 60);
static_assert(offsetof(AclAccount, rights) == 64);
static_assert(offsetof(AclAccount, address) == 104);
static_assert(offsetof(AclAccount, mask) == 108);
static_assert(offsetof(AclAccount, reserved) == 112);

inline constexpr std::size_t kAclRecordSize = sizeof(AclAccount);

// Names and passwords compare as zero-terminated texts of at most 30
// characters, case-sensitive.
bool aclTextEqual(const char* a, const char* b);

// The two built-in accounts, in the order they are written.
AclAccount builtInAccount(int index);

// Creates ".acl" with the built-in accounts when no file of that name exists;
// an existing file is never touched. False when it cannot be created.
bool createDefaultAclFile();

// Largest ".acl" that is read: kMaxAclAccounts records and a partial one.
inline constexpr std::size_t kMaxAclFileBytes = (kMaxAclAccounts + 1) * kAclRecordSize - 1;

// The account file's bytes: whole records, plus any partial tail.
class AclFile {
 public:
  // Reads ".acl"; empty when it cannot be opened or holds more than
  // kMaxAclAccounts records.
  static std::optional<AclFile> read();

  std::size_t count() const { return bytes_.size() / kAclRecordSize; }
  // True when another account may not be appended.
  bool full() const { return count() >= static_cast<std::size_t>(kMaxAclAccounts); }
  const char* record(std::size_t index) const { return bytes_.data() + index * kAclRecordSize; }
  // Index of the first record with the user name, or count() when none.
  std::size_t find(const char* userName) const;

  void replace(std::size_t index, const void* record);
  // Appends after the last whole record (a partial tail is dropped).
  void append(const void* record);
  // Removes the record (and a partial tail); later records keep their order.
  void remove(std::size_t index);

  // Writes "acl.tmp" completely and renames it over ".acl" in one step;
  // false (".acl" untouched) when either step fails.
  bool save() const;

 private:
  std::string bytes_;
};

}  // namespace cvlm
