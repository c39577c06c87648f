#include "system/short_path.h"

namespace remvex {

namespace {

constexpr std::size_t kShownLimit = 48;
constexpr std::size_t kShortenedLimit = 32;
constexpr std::size_t kCutAt = 45;

std::string shortened(const std::string& path) {
  if (path.size() <= kShownLimit) return path;
  std::string result = path;
  const auto first = path.find('\\');
  if (first != std::string::npos) {
    for (auto at = path.find('\\', first + 1); at != std::string::npos; at = path.find('\\', at + 1)) {
      const std::size_t between = at - first - 1;
      if (path.size() - between + 3 > kShortenedLimit) continue;
      if (between > 3) result = path.substr(0, first + 1) + "..." + path.substr(at);
      break;
    }
  }
  if (result.size() > kShownLimit) result = result.substr(0, kCutAt) + "...";
  return result;
}

}  // namespace

void AppendShortPath(std::string& text, const std::string& path) { text += shortened(path); }

std::string ShortKey(const std::string& key) {
  return key.size() > kShownLimit ? key.substr(0, kCutAt) + "..." : key;
}

}  // namespace remvex
