// The interface records against offsets written out by hand: each field,
// written through the header, must land at its 32-bit offset mapped to this
// build's layout, with its width, and touch no other byte.
#include "merl/setup_interface.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr bool kWide = sizeof(void*) == 8;
constexpr std::uint64_t kMarker = 0x8877665544332211ull;

template <typename T>
struct FieldCase {
  std::string name;
  std::size_t at32;
  std::size_t at64;
  int width32;  // bytes; 0 = pointer-width
  std::function<void(T&)> write;  // stores the marker's low bytes into the field
};

template <typename P>
P marker() {
  return reinterpret_cast<P>(static_cast<std::uintptr_t>(kMarker));
}

// The record's bytes after one field was written into a zeroed record.
template <typename T>
void expectFieldAt(const FieldCase<T>& c) {
  T record;
  std::memset(&record, 0, sizeof record);
  c.write(record);
  std::vector<std::uint8_t> bytes(sizeof record);
  std::memcpy(bytes.data(), &record, sizeof record);
  std::size_t at = kWide ? c.at64 : c.at32;
  std::size_t width = c.width32 ? static_cast<std::size_t>(c.width32) : sizeof(void*);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::uint8_t want = i >= at && i < at + width ? static_cast<std::uint8_t>(kMarker >> (8 * (i - at))) : 0;
    ASSERT_EQ(bytes[i], want) << c.name << " byte " << i;
  }
}

TEST(SetupInterface, SetupRecFieldsSitAtTheirOffsetsWithTheirWidths) {
  using merl::SetupRec;
  const std::vector<FieldCase<SetupRec>> cases = {
      {"main window", 0x00, 0x00, 0, [](SetupRec& r) { r.mainWindow = marker<win::HWND>(); }},
      {"setup instance", 0x04, 0x08, 0, [](SetupRec& r) { r.setupInstance = marker<win::HINSTANCE>(); }},
      {"read offset", 0x08, 0x10, 4, [](SetupRec& r) { r.readOffset = static_cast<win::DWORD>(kMarker); }},
      {"disk base offset", 0x0c, 0x14, 4, [](SetupRec& r) { r.diskBaseOffset = static_cast<win::DWORD>(kMarker); }},
      {"gap +0x10", 0x10, 0x18, 4, [](SetupRec& r) { r.reserved10 = static_cast<win::DWORD>(kMarker); }},
      {"bytes done", 0x14, 0x1c, 4, [](SetupRec& r) { r.bytesDone = static_cast<win::DWORD>(kMarker); }},
      {"installation file", 0x18, 0x20, 0, [](SetupRec& r) { r.installFile = marker<win::HANDLE>(); }},
      {"abort flag", 0x1c, 0x28, 4, [](SetupRec& r) { r.abortFlag = static_cast<win::DWORD>(kMarker); }},
      {"error byte", 0x20, 0x2c, 1, [](SetupRec& r) { r.errorByte = static_cast<win::BYTE>(kMarker); }},
      {"screen width", 0x24, 0x30, 4, [](SetupRec& r) { r.screenWidth = static_cast<win::DWORD>(kMarker); }},
      {"screen height", 0x28, 0x34, 4, [](SetupRec& r) { r.screenHeight = static_cast<win::DWORD>(kMarker); }},
      {"wait flag", 0x2c, 0x38, 4, [](SetupRec& r) { r.waitFlag = static_cast<win::DWORD>(kMarker); }},
      {"silent flag", 0x30, 0x3c, 4, [](SetupRec& r) { r.silentFlag = static_cast<win::DWORD>(kMarker); }},
      {"option word", 0x34, 0x40, 4, [](SetupRec& r) { r.optionWord = static_cast<win::DWORD>(kMarker); }},
      {"display flags", 0x38, 0x44, 1, [](SetupRec& r) { r.displayFlags = static_cast<win::BYTE>(kMarker); }},
      {"drawing object", 0x3c, 0x48, 0, [](SetupRec& r) { r.drawingObject = marker<win::HGDIOBJ>(); }},
      {"script length", 0x40, 0x50, 4, [](SetupRec& r) { r.scriptLength = static_cast<win::DWORD>(kMarker); }},
      {"gap +0x44", 0x44, 0x54, 4, [](SetupRec& r) { r.reserved44 = static_cast<win::DWORD>(kMarker); }},
      {"gap +0x48", 0x48, 0x58, 4, [](SetupRec& r) { r.reserved48 = static_cast<win::DWORD>(kMarker); }},
      {"support file 3", 0x4c, 0x5c, 4, [](SetupRec& r) { r.supportSizes[0] = static_cast<win::DWORD>(kMarker); }},
      {"support file 10", 0x68, 0x78, 4, [](SetupRec& r) { r.supportSizes[7] = static_cast<win::DWORD>(kMarker); }},
      {"dialog block stored size", 0x6c, 0x7c, 4,
       [](SetupRec& r) { r.dialogBlockStoredSize = static_cast<win::DWORD>(kMarker); }},
      {"dialog block size", 0x70, 0x80, 4, [](SetupRec& r) { r.dialogBlockSize = static_cast<win::DWORD>(kMarker); }},
      {"gap +0x74", 0x74, 0x84, 4, [](SetupRec& r) { r.reserved74 = static_cast<win::DWORD>(kMarker); }},
      {"on-exit offset", 0x78, 0x88, 4, [](SetupRec& r) { r.onExitOffset = static_cast<win::DWORD>(kMarker); }},
      {"on-cancel offset", 0x7c, 0x8c, 4, [](SetupRec& r) { r.onCancelOffset = static_cast<win::DWORD>(kMarker); }},
      {"script memory", 0x80, 0x90, 0, [](SetupRec& r) { r.scriptMemory = marker<win::HGLOBAL>(); }},
      {"script image", 0x84, 0x98, 0, [](SetupRec& r) { r.scriptImage = marker<win::BYTE*>(); }},
      {"copy destination", 0x88, 0xa0, 0, [](SetupRec& r) { r.copyDestination = marker<void*>(); }},
      {"copy callback", 0x8c, 0xa8, 0, [](SetupRec& r) { r.copyCallback = marker<merl::CopyCallback>(); }},
      {"checksum callback", 0x90, 0xb0, 0,
       [](SetupRec& r) { r.checksumCallback = marker<merl::ChecksumCallback>(); }},
      {"message table", 0x94, 0xb8, 0, [](SetupRec& r) { r.messageTable = marker<const char* const*>(); }},
  };
  EXPECT_EQ(sizeof(SetupRec), kWide ? 0xc0u : 0x98u);
  for (const auto& c : cases) expectFieldAt(c);
}

TEST(SetupInterface, SupportFileSizeIsEntryNOfTheRunFromTheScriptLength) {
  merl::SetupRec record{};
  auto* bytes = reinterpret_cast<std::uint8_t*>(&record);
  const std::size_t scriptLengthAt = kWide ? 0x50 : 0x40;
  for (std::uint32_t n = 3; n <= 10; ++n) std::memcpy(bytes + scriptLengthAt + 4 * n, &n, 4);
  for (int n = 3; n <= 10; ++n) EXPECT_EQ(merl::supportFileSize(record, n), static_cast<win::DWORD>(n));
  EXPECT_EQ(merl::supportFileSize(record, 2), 0u);
  EXPECT_EQ(merl::supportFileSize(record, 11), 0u);
}

TEST(SetupInterface, InternalActionParamsFieldsSitAtTheirOffsets) {
  using merl::ActionParams;
  const std::vector<FieldCase<ActionParams>> cases = {
      {"size", 0, 0, 2, [](ActionParams& p) { p.size = static_cast<win::WORD>(kMarker); }},
      {"main window", 4, 8, 0, [](ActionParams& p) { p.mainWindow = marker<win::HWND>(); }},
      {"slot limit", 8, 16, 2, [](ActionParams& p) { p.slotLimit = static_cast<win::WORD>(kMarker); }},
      {"name slot size", 10, 18, 2, [](ActionParams& p) { p.nameSlotSize = static_cast<win::WORD>(kMarker); }},
      {"value slot size", 12, 20, 2, [](ActionParams& p) { p.valueSlotSize = static_cast<win::WORD>(kMarker); }},
      {"variable count", 14, 22, 2, [](ActionParams& p) { p.variableCount = static_cast<win::WORD>(kMarker); }},
      {"names table", 16, 24, 0, [](ActionParams& p) { p.names = marker<char*>(); }},
      {"values table", 20, 32, 0, [](ActionParams& p) { p.values = marker<char*>(); }},
      {"run state", 24, 40, 1, [](ActionParams& p) { p.runState = static_cast<win::BYTE>(kMarker); }},
      {"log handle", 28, 48, 0, [](ActionParams& p) { p.logHandle = marker<win::HANDLE>(); }},
      {"parameter text", 32, 56, 0, [](ActionParams& p) { p.parameterText = marker<char*>(); }},
      {"message table", 36, 64, 0, [](ActionParams& p) { p.messageTable = marker<const char* const*>(); }},
      {"edited-file flags", 40, 72, 2, [](ActionParams& p) { p.editedFileFlags = static_cast<win::WORD>(kMarker); }},
  };
  EXPECT_EQ(sizeof(ActionParams), kWide ? 80u : 44u);
  EXPECT_EQ(merl::kActionParamsSize, sizeof(ActionParams));
  for (const auto& c : cases) expectFieldAt(c);
}

TEST(SetupInterface, ExternalActionParamsFieldsSitAtTheirOffsets) {
  using merl::ExternalActionParams;
  using P = ExternalActionParams;
  const std::vector<FieldCase<P>> cases = {
      {"size", 0, 0, 4, [](P& p) { p.size = static_cast<win::DWORD>(kMarker); }},
      {"main window", 4, 8, 0, [](P& p) { p.mainWindow = marker<win::HWND>(); }},
      {"slot limit", 8, 16, 4, [](P& p) { p.slotLimit = static_cast<win::DWORD>(kMarker); }},
      {"name slot size", 12, 20, 4, [](P& p) { p.nameSlotSize = static_cast<win::DWORD>(kMarker); }},
      {"value slot size", 16, 24, 4, [](P& p) { p.valueSlotSize = static_cast<win::DWORD>(kMarker); }},
      {"variable count", 20, 28, 4, [](P& p) { p.variableCount = static_cast<win::DWORD>(kMarker); }},
      {"names table", 24, 32, 0, [](P& p) { p.names = marker<char*>(); }},
      {"values table", 28, 40, 0, [](P& p) { p.values = marker<char*>(); }},
      {"run state", 32, 48, 4, [](P& p) { p.runState = static_cast<win::DWORD>(kMarker); }},
      {"log handle", 36, 56, 0, [](P& p) { p.logHandle = marker<win::HANDLE>(); }},
      {"parameter text", 40, 64, 0, [](P& p) { p.parameterText = marker<char*>(); }},
      {"message 17", 44, 72, 0, [](P& p) { p.message17 = marker<const char*>(); }},
      {"message 44", 48, 80, 0, [](P& p) { p.message44 = marker<const char*>(); }},
      {"silent flag", 52, 88, 4, [](P& p) { p.silentFlag = static_cast<win::DWORD>(kMarker); }},
  };
  EXPECT_EQ(sizeof(P), kWide ? 96u : 56u);
  EXPECT_EQ(merl::kExternalActionParamsSize, sizeof(P));
  EXPECT_NE(static_cast<unsigned>(merl::kActionParamsSize), merl::kExternalActionParamsSize);
  for (const auto& c : cases) expectFieldAt(c);
}

}  // namespace
