// Version blocks: reading a file's block through the file layer (so its
// injected failures apply), and the bounded walk VerQueryValue makes through
// the block's nodes (length, value length, type, UTF-16 key, value, children,
// each aligned to four bytes).
#include <cstring>

#include "fail.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/files.h"
#include "win/version.h"

namespace win {
namespace version {
namespace {

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::size_t align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

struct Node {
  std::size_t start, end;  // within the block
  std::string key;         // ASCII of the UTF-16 key (other characters as '?')
  std::size_t value, valueSize, children;
};

// The node at start, bounded by limit; false when it does not fit.
bool readNode(const std::uint8_t* block, std::size_t start, std::size_t limit, Node* node) {
  if (start + 6 > limit) return false;
  std::size_t length = u16(block + start);
  if (length < 6 || length > limit - start) return false;
  std::size_t end = start + length;
  std::size_t valueLength = u16(block + start + 2);
  bool text = u16(block + start + 4) == 1;
  std::size_t at = start + 6;
  node->key.clear();
  for (;; at += 2) {
    if (at + 2 > end) return false;
    std::uint16_t c = u16(block + at);
    if (c == 0) break;
    node->key.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  std::size_t value = align4(at + 2);
  std::size_t valueSize = text ? valueLength * 2 : valueLength;
  if (value > end || valueSize > end - value) return false;
  *node = Node{start, end, node->key, value, valueSize, align4(value + valueSize)};
  return true;
}

bool sameKey(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

bool queryValue(const std::uint8_t* block, std::size_t size, const std::string& path, const std::uint8_t** value,
                std::size_t* valueSize) {
  Node node{};
  if (!readNode(block, 0, size, &node)) return false;
  std::size_t pos = 0;
  while (pos < path.size()) {
    while (pos < path.size() && path[pos] == '\\') ++pos;
    if (pos == path.size()) break;
    std::size_t stop = path.find('\\', pos);
    std::string part = path.substr(pos, stop == std::string::npos ? std::string::npos : stop - pos);
    pos = stop == std::string::npos ? path.size() : stop;
    Node child{};
    bool found = false;
    // Each child lies after the previous one and inside its parent, so the walk ends.
    for (std::size_t at = node.children; at < node.end; at = align4(child.end)) {
      if (!readNode(block, at, node.end, &child)) return false;
      if (sameKey(child.key, part)) {
        found = true;
        break;
      }
    }
    if (!found) return false;
    node = child;
  }
  *value = block + node.value;
  *valueSize = node.valueSize;
  return true;
}

}  // namespace version

namespace {

// The file's version resource; empty (with the last error set) when it has none.
std::vector<std::uint8_t> readVersionBlock(LPCSTR path) {
  HANDLE file = CreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::vector<std::uint8_t> image;
  DWORD size = GetFileSize(file, nullptr);
  bool ok = size != INVALID_FILE_SIZE && size <= kVersionFileLimit;
  if (ok) {
    image.resize(size);
    DWORD got = 0;
    ok = size == 0 || (ReadFile(file, image.data(), size, &got, nullptr) && got == size);
  }
  DWORD error = GetLastError();
  CloseHandle(file);
  if (!ok) {
    SetLastError(error ? error : ERROR_READ_FAULT);
    return {};
  }
  auto block = version::findVersionResource(image.data(), image.size());
  if (block.size() > 0xFFFF) block.clear();
  if (block.empty()) SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return block;
}

}  // namespace

DWORD GetFileVersionInfoSize(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
  if (lpdwHandle) *lpdwHandle = 0;
  if (!lptstrFilename) return failWith<DWORD>(ERROR_INVALID_PARAMETER);
  return static_cast<DWORD>(readVersionBlock(lptstrFilename).size());
}

BOOL GetFileVersionInfo(LPCSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
  if (!lptstrFilename || !lpData) return failWith(ERROR_INVALID_PARAMETER);
  auto block = readVersionBlock(lptstrFilename);
  if (block.empty()) return FALSE;
  std::size_t n = block.size() < dwLen ? block.size() : dwLen;
  std::memcpy(lpData, block.data(), n);
  // A cut block says so in its first WORD, which bounds every later query.
  if (n >= 2 && n < block.size()) {
    static_cast<std::uint8_t*>(lpData)[0] = static_cast<std::uint8_t>(n);
    static_cast<std::uint8_t*>(lpData)[1] = static_cast<std::uint8_t>(n >> 8);
  }
  return n >= 2 ? TRUE : failWith(ERROR_INSUFFICIENT_BUFFER);
}

BOOL VerQueryValue(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen) {
  if (!pBlock || !lpSubBlock || !lplpBuffer) return FALSE;
  auto block = static_cast<const std::uint8_t*>(pBlock);
  std::size_t size = static_cast<std::size_t>(block[0] | block[1] << 8);
  const std::uint8_t* value = nullptr;
  std::size_t valueSize = 0;
  if (!version::queryValue(block, size, lpSubBlock, &value, &valueSize)) return FALSE;
  std::string path = lpSubBlock;
  if (path.empty() || path == "\\") {
    if (valueSize < sizeof(VS_FIXEDFILEINFO)) return FALSE;
    DWORD signature = 0;
    std::memcpy(&signature, value, sizeof signature);
    if (signature != VS_FFI_SIGNATURE) return FALSE;
  }
  *lplpBuffer = const_cast<std::uint8_t*>(value);
  if (puLen) *puLen = static_cast<UINT>(valueSize);
  return valueSize > 0;
}

}  // namespace win
