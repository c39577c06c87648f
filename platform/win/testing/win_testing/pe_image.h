// Minimal PE images for tests: a DOS header, "PE\0\0", a PE32 optional header
// and one .rsrc section holding a version resource built from the parameters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace win_testing {

struct PeVersion {
  std::uint32_t versionHigh = 0x00040000;  // 4.0
  std::uint32_t versionLow = 0x00000001;   // .0.1
  std::uint32_t fileOs = 0x00040004;       // NT, Win32
  std::uint32_t fileType = 2;              // DLL
  std::uint32_t fileSubtype = 0;
  std::vector<std::uint32_t> translations;  // language | code page << 16; none: no VarFileInfo
  bool withVersion = true;                  // false: a PE image without a version resource
};

namespace pe_detail {

inline void put16(std::string& s, std::size_t at, std::uint32_t v) {
  if (s.size() < at + 2) s.resize(at + 2, '\0');
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
inline void put32(std::string& s, std::size_t at, std::uint32_t v) {
  put16(s, at, v & 0xFFFF);
  put16(s, at + 2, v >> 16);
}
inline void pad4(std::string& s) { s.resize((s.size() + 3) & ~std::size_t{3}, '\0'); }

// One version node: header, UTF-16 key, value, children.
inline std::string node(const std::string& key, const std::string& value, const std::string& children) {
  std::string n(6, '\0');
  for (char c : key) n += std::string{c, '\0'};
  n += std::string(2, '\0');
  pad4(n);
  n += value;
  pad4(n);
  n += children;
  put16(n, 0, static_cast<std::uint32_t>(n.size()));
  put16(n, 2, static_cast<std::uint32_t>(value.size()));
  return n;
}

}  // namespace pe_detail

// The version block (VS_VERSIONINFO) of v.
inline std::string versionBlock(const PeVersion& v) {
  using namespace pe_detail;
  std::string fixed;
  const std::uint32_t fields[13] = {0xFEEF04BD, 0x00010000, v.versionHigh, v.versionLow, v.versionHigh, v.versionLow,
                                    0x3F, 0, v.fileOs, v.fileType, v.fileSubtype, 0, 0};
  for (int i = 0; i < 13; ++i) put32(fixed, fixed.size(), fields[i]);
  std::string children;
  if (!v.translations.empty()) {
    std::string pairs;
    for (std::uint32_t t : v.translations) put32(pairs, pairs.size(), t);
    children = node("VarFileInfo", "", node("Translation", pairs, ""));
  }
  return node("VS_VERSION_INFO", fixed, children);
}

// The bytes of a PE file carrying v.
inline std::string peImage(const PeVersion& v) {
  using namespace pe_detail;
  constexpr std::uint32_t kPe = 0x40, kRaw = 0x200, kRva = 0x1000;
  std::string f(kRaw, '\0');
  f[0] = 'M';
  f[1] = 'Z';
  put32(f, 60, kPe);
  f.replace(kPe, 4, std::string("PE\0\0", 4));
  put16(f, kPe + 4, 0x14C);  // i386
  put16(f, kPe + 6, 1);      // one section
  put16(f, kPe + 20, 224);   // PE32 optional header
  put16(f, kPe + 22, 0x2102);
  const std::size_t opt = kPe + 24;
  put16(f, opt, 0x10B);
  put32(f, opt + 92, 16);  // data directories
  // The resource tree: type 16 -> name 1 -> language 0x409 -> data entry -> block.
  std::string tree;
  std::string block = v.withVersion ? versionBlock(v) : std::string();
  auto dir = [&](std::uint32_t id, std::uint32_t target) {
    std::size_t at = tree.size();
    tree.resize(at + 24, '\0');
    put16(tree, at + 14, 1);
    put32(tree, at + 16, id);
    put32(tree, at + 20, target);
  };
  dir(v.withVersion ? 16 : 3, 0x80000018);
  dir(1, 0x80000030);
  dir(0x409, 0x48);
  put32(tree, 0x48, kRva + 0x58);
  put32(tree, 0x4C, static_cast<std::uint32_t>(block.size()));
  tree.resize(0x58, '\0');
  tree += block;
  pad4(tree);
  put32(f, opt + 96 + 16, kRva);
  put32(f, opt + 96 + 20, static_cast<std::uint32_t>(tree.size()));
  const std::size_t sec = opt + 224;
  f.replace(sec, 5, ".rsrc");
  put32(f, sec + 8, static_cast<std::uint32_t>(tree.size()));
  put32(f, sec + 12, kRva);
  put32(f, sec + 16, static_cast<std::uint32_t>(tree.size()));
  put32(f, sec + 20, kRaw);
  f.resize(kRaw);
  return f + tree;
}

}  // namespace win_testing
