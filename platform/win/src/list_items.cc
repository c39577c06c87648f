// The item list shared by list boxes and combo boxes.
#include "list_items.h"

#include <cstring>
#include <vector>

#include "gdi_internal.h"
#include "win/path.h"

namespace win {

namespace {

int compareBlind(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    int ca = (a[i] >= 'a' && a[i] <= 'z') ? a[i] - 32 : static_cast<unsigned char>(a[i]);
    int cb = (b[i] >= 'a' && b[i] <= 'z') ? b[i] - 32 : static_cast<unsigned char>(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void shiftAfterInsert(ListState& s, int index) {
  if (s.current >= index) ++s.current;
}

}  // namespace

ListState::ListState(ControlKind k) : ControlState(k), itemHeight(detail::fontMetrics(nullptr).height) {}

ItemArgument itemArgument(bool hasStrings, LPARAM lParam) {
  if (!hasStrings) return ItemArgument{"", static_cast<ULONG_PTR>(lParam)};
  return ItemArgument{lParam ? std::string(reinterpret_cast<const char*>(lParam)) : std::string(), 0};
}

void setListFont(Window& w, ListState& s, WPARAM font, bool ownerDrawn) {
  w.font = reinterpret_cast<HFONT>(font);
  if (!ownerDrawn) s.itemHeight = detail::fontMetrics(w.font).height;
}

int addItem(ListState& s, bool sorted, std::string text, ULONG_PTR data) {
  std::size_t at = s.items.size();
  if (sorted)
    for (std::size_t i = 0; i < s.items.size(); ++i)
      if (compareBlind(text, s.items[i].text) < 0) {
        at = i;
        break;
      }
  s.items.insert(s.items.begin() + static_cast<std::ptrdiff_t>(at), ListItem{std::move(text), data, false});
  shiftAfterInsert(s, static_cast<int>(at));
  return static_cast<int>(at);
}

int insertItem(ListState& s, int index, std::string text, ULONG_PTR data) {
  if (index < -1 || index > static_cast<int>(s.items.size())) return -1;
  std::size_t at = index == -1 ? s.items.size() : static_cast<std::size_t>(index);
  s.items.insert(s.items.begin() + static_cast<std::ptrdiff_t>(at), ListItem{std::move(text), data, false});
  shiftAfterInsert(s, static_cast<int>(at));
  return static_cast<int>(at);
}

bool deleteItem(ListState& s, int index) {
  if (index < 0 || index >= static_cast<int>(s.items.size())) return false;
  s.items.erase(s.items.begin() + index);
  if (s.current == index)
    s.current = -1;
  else if (s.current > index)
    --s.current;
  if (s.top >= static_cast<int>(s.items.size())) s.top = 0;
  return true;
}

int findItem(const ListState& s, int start, std::string_view text, bool exact) {
  int n = static_cast<int>(s.items.size());
  if (n == 0) return -1;
  int first = (start < 0 || start >= n) ? 0 : start + 1;
  for (int k = 0; k < n; ++k) {
    int i = (first + k) % n;
    std::string_view item = s.items[static_cast<std::size_t>(i)].text;
    if (exact ? compareBlind(item, text) == 0
              : (item.size() >= text.size() && compareBlind(item.substr(0, text.size()), text) == 0))
      return i;
  }
  return -1;
}

bool validIndex(const ListState& s, WPARAM index) { return index < s.items.size(); }

LRESULT copyItemText(const ListState& s, WPARAM index, LPARAM buffer) {
  if (!validIndex(s, index) || !buffer) return -1;
  const std::string& text = s.items[index].text;
  std::memcpy(reinterpret_cast<char*>(buffer), text.c_str(), text.size() + 1);
  return static_cast<LRESULT>(text.size());
}

int addDirectoryItems(ListState& s, bool sorted, UINT attributes, LPARAM pattern) {
  std::vector<std::string> lines;
  if (!pattern || !directoryListing(attributes, reinterpret_cast<const char*>(pattern), &lines)) return -1;
  int last = -1;
  for (auto& line : lines) last = addItem(s, sorted, std::move(line), 0);
  return last;
}

}  // namespace win
