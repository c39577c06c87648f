// The item list that list boxes and combo boxes share: adding in order or
// sorted, finding by prefix or whole text without regard to case, copying
// texts out, and the LB_DIR / CB_DIR listing.
#pragma once

#include <string>
#include <string_view>

#include "controls.h"
#include "window_state.h"

namespace win {

// What LB_ADDSTRING / CB_ADDSTRING's lParam is: the text, or (owner-drawn without
// HASSTRINGS) the item's data.
struct ItemArgument {
  std::string text;
  ULONG_PTR data = 0;
};
ItemArgument itemArgument(bool hasStrings, LPARAM lParam);
// WM_SETFONT of a list or combo box: the font, and the item height of a list not owner-drawn.
void setListFont(Window& w, ListState& s, WPARAM font, bool ownerDrawn);

// Adds an item (sorted: before the first item that compares greater); returns its index.
int addItem(ListState& s, bool sorted, std::string text, ULONG_PTR data);
// Inserts at index (-1: the end); -1 when the index is past the end.
int insertItem(ListState& s, int index, std::string text, ULONG_PTR data);
// Removes an item; false for a bad index.
bool deleteItem(ListState& s, int index);
// The first item after start (-1: from the top, wrapping round) whose text begins with text
// (exact: equals it), case-blind; -1 when none.
int findItem(const ListState& s, int start, std::string_view text, bool exact);
// True for an index of an item.
bool validIndex(const ListState& s, WPARAM index);
// Copies an item's text and a NUL to buffer (the caller sized it by the text length).
LRESULT copyItemText(const ListState& s, WPARAM index, LPARAM buffer);
// Adds the lines of a directory listing; returns the index of the last one added, or -1.
int addDirectoryItems(ListState& s, bool sorted, UINT attributes, LPARAM pattern);

}  // namespace win
