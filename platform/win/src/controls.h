// The built-in control classes: their state on the window, their window
// procedures, and what the answers engine and the transcript read from them.
#pragma once

#include <string>
#include <vector>

#include "win/controls.h"
#include "win/json.h"
#include "window_state.h"

namespace win {

enum class ControlKind { Button, Edit, Static, ListBox, ComboBox, ScrollBar };

struct ControlState {
  explicit ControlState(ControlKind k) : kind(k) {}
  virtual ~ControlState() = default;
  const ControlKind kind;
};

struct ButtonState : ControlState {
  ButtonState() : ControlState(ControlKind::Button) {}
  UINT check = BST_UNCHECKED;
  bool pushed = false;
  HANDLE image = nullptr;
};

struct EditState : ControlState {
  EditState() : ControlState(ControlKind::Edit) {}
  DWORD limit = 30000;  // typed characters allowed
  DWORD selStart = 0;
  DWORD selEnd = 0;
  bool modified = false;
};

struct StaticState : ControlState {
  StaticState() : ControlState(ControlKind::Static) {}
  HANDLE image = nullptr;
};

struct ListItem {
  std::string text;
  ULONG_PTR data = 0;
  bool selected = false;
};

// List boxes and combo boxes (a combo's list and its edit text, the window text).
struct ListState : ControlState {
  explicit ListState(ControlKind k);
  std::vector<ListItem> items;
  int current = -1;  // single selection; the caret of a multiple-selection list
  int top = 0;
  int itemHeight = 0;  // the font's height, or what WM_MEASUREITEM said
  int horizontalExtent = 0;
  std::vector<int> tabStops;
  DWORD editLimit = 0;
};

struct ScrollBarState : ControlState {
  ScrollBarState() : ControlState(ControlKind::ScrollBar) {}
};

// Registers "Button", "Edit", "Static", "ListBox", "ComboBox" and "ScrollBar" on the table.
void registerControlClasses(WindowState& state);

// The control state of a window of a built-in control class (null for other windows).
ControlState* controlOf(Window& window);
// The class name the transcript shows ("Button").
std::string controlClassName(Window& window);
// True for a list box with LBS_MULTIPLESEL or LBS_EXTENDEDSEL.
bool isMultipleSelection(const Window& window);
// The control's state for the transcript: check state, items and selection, as it applies.
void describeControlState(Window& window, JsonObject& out);

// Owner-draw: sends WM_MEASUREITEM for a fixed owner-draw list or combo at creation, and
// WM_DRAWITEM for its visible items when it paints.
void measureOwnerDrawItems(HWND control);
void drawOwnerDrawItems(HWND control);

// Sets a window's text (WM_SETTEXT's work), writing the change to the transcript.
void storeWindowText(Window& window, std::string text);

// The lines of a directory listing for LB_DIR / CB_DIR ("[-c-]", "[dir]", "file"); false on a bad pattern.
bool directoryListing(UINT attributes, const char* pattern, std::vector<std::string>* lines);

}  // namespace win
