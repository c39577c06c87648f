// The PE image walk to the version resource: DOS header, "PE\0\0", the
// optional header's resource directory, the sections that map it, and the
// three directory levels (type 16, first name, first language). Every read is
// checked against the image; the fixed depth means no directory cycle can loop.
#include <cstring>

#include "win/version.h"

namespace win::version {
namespace {

constexpr std::uint32_t kResourceTypeVersion = 16;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;

struct Image {
  const std::uint8_t* data;
  std::size_t size;

  bool has(std::size_t offset, std::size_t count) const { return offset <= size && count <= size - offset; }
  std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8); }
  std::uint32_t u32(std::size_t at) const {
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
  }
};

struct Section {
  std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

// The file offset of rva when count bytes from it lie in one section's raw data.
bool mapRva(const Image& image, const std::vector<Section>& sections, std::uint32_t rva, std::size_t count,
            std::size_t* offset) {
  for (const Section& s : sections) {
    std::uint32_t span = s.virtualSize ? s.virtualSize : s.rawSize;
    if (span > s.rawSize) span = s.rawSize;
    if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
    std::size_t inside = rva - s.virtualAddress;
    if (count > span - inside) return false;
    std::size_t at = std::size_t{s.rawOffset} + inside;
    if (!image.has(at, count)) return false;
    *offset = at;
    return true;
  }
  return false;
}

// The entry of a directory at dir (a file offset inside the resource section): the one with
// id wanted, or the first when wanted is 0. Its offset field, or false.
bool directoryEntry(const Image& image, std::size_t dir, std::uint32_t wanted, std::uint32_t* field) {
  if (!image.has(dir, 16)) return false;
  std::size_t entries = std::size_t{image.u16(dir + 12)} + image.u16(dir + 14);
  for (std::size_t i = 0; i < entries; ++i) {
    std::size_t at = dir + 16 + i * 8;
    if (!image.has(at, 8)) return false;
    std::uint32_t name = image.u32(at);
    if (wanted == 0 || name == wanted) {
      *field = image.u32(at + 4);
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<std::uint8_t> findVersionResource(const std::uint8_t* data, std::size_t size) {
  Image image{data, size};
  if (!image.has(0, 64) || data[0] != 'M' || data[1] != 'Z') return {};
  std::size_t pe = image.u32(60);
  if (!image.has(pe, 24) || std::memcmp(data + pe, "PE\0\0", 4) != 0) return {};
  std::size_t sectionCount = image.u16(pe + 6);
  std::size_t optionalSize = image.u16(pe + 20);
  std::size_t optional = pe + 24;
  if (!image.has(optional, optionalSize) || optionalSize < 2) return {};
  std::uint16_t magic = image.u16(optional);
  std::size_t dirs = magic == 0x10b ? 96 : magic == 0x20b ? 112 : 0;
  if (dirs == 0 || optionalSize < dirs) return {};
  std::size_t dirCount = image.u32(optional + dirs - 4);
  if (dirCount < 3 || optionalSize < dirs + 3 * 8) return {};
  std::uint32_t resourceRva = image.u32(optional + dirs + 16);
  std::uint32_t resourceSize = image.u32(optional + dirs + 20);
  if (resourceRva == 0 || resourceSize < 16) return {};

  std::vector<Section> sections;
  std::size_t table = optional + optionalSize;
  for (std::size_t i = 0; i < sectionCount; ++i) {
    std::size_t at = table + i * 40;
    if (!image.has(at, 40)) return {};
    sections.push_back({image.u32(at + 12), image.u32(at + 8), image.u32(at + 20), image.u32(at + 16)});
  }
  std::size_t root = 0;
  if (!mapRva(image, sections, resourceRva, resourceSize, &root)) return {};
  // Offsets inside the tree are relative to its root and must stay inside resourceSize.
  Image tree{data + root, resourceSize};
  std::uint32_t field = 0;
  std::size_t dir = 0;
  const std::uint32_t wanted[3] = {kResourceTypeVersion, 0, 0};
  for (int level = 0; level < 3; ++level) {
    if (!directoryEntry(tree, dir, wanted[level], &field)) return {};
    bool subdirectory = field & kSubdirectoryBit;
    if (subdirectory != (level < 2)) return {};
    dir = field & ~kSubdirectoryBit;
  }
  if (!tree.has(dir, 16)) return {};
  std::uint32_t dataRva = tree.u32(dir), dataSize = tree.u32(dir + 4);
  std::size_t at = 0;
  if (dataSize == 0 || !mapRva(image, sections, dataRva, dataSize, &at)) return {};
  return std::vector<std::uint8_t>(data + at, data + at + dataSize);
}

}  // namespace win::version
