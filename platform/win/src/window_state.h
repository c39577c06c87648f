// The process's window table: classes, windows with their styles, geometry,
// texts and update regions, system menus, and the message queue of every thread.
// One recursive mutex guards it; window procedures are always called without it.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "thread_queue.h"
#include "win/machine.h"
#include "win/window.h"

namespace win {

struct ControlState;  // controls.h
struct DialogState;   // dialog_state.h

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int classExtra = 0;
  int windowExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  bool builtIn = false;
};

struct MenuItem {
  UINT id = 0;
  UINT state = MF_ENABLED;  // MF_GRAYED, MF_DISABLED
};

struct Menu {
  HWND owner = nullptr;
  std::vector<MenuItem> items;
};

struct Window {
  Window();
  ~Window();

  HWND hwnd = nullptr;
  DWORD thread = 0;
  std::shared_ptr<const WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string text;
  RECT rect{};            // the parent's client coordinates for a child, else the screen's
  HWND parent = nullptr;  // WS_CHILD windows
  HWND owner = nullptr;   // popups and top-level windows
  UINT_PTR id = 0;        // a child's id
  HINSTANCE instance = nullptr;
  LONG_PTR userData = 0;
  std::vector<BYTE> extra;
  std::vector<HWND> children;  // z-order, top first
  bool foreign = false;        // another program's window named in [windows]
  bool traced = false;         // creation went to the transcript, so destruction does too
  bool destroying = false;
  bool maximized = false;
  bool minimized = false;
  RECT restoreRect{};  // the rectangle before maximising or minimising
  bool topmost = false;
  bool hasUpdate = false;
  RECT update{};  // client coordinates
  bool erase = false;
  HFONT font = nullptr;  // WM_SETFONT of controls and dialogs
  HICON iconBig = nullptr;
  HICON iconSmall = nullptr;
  HMENU systemMenu = nullptr;
  std::unique_ptr<ControlState> control;
  std::unique_ptr<DialogState> dialog;
};

class WindowState : public MachineState {
 public:
  explicit WindowState(Machine& machine);
  ~WindowState() override;

  Machine& machine;
  std::recursive_mutex mutex;

  // Windows, in creation order.
  std::shared_ptr<Window> find(HWND hwnd);
  HWND add(std::shared_ptr<Window> window);
  void remove(HWND hwnd);
  std::vector<std::shared_ptr<Window>> all();

  // Classes (case-blind names).
  std::shared_ptr<const WindowClass> findClass(std::string_view name);
  std::shared_ptr<const WindowClass> findClass(ATOM atom);
  ATOM addClass(WindowClass cls);
  bool removeClass(std::string_view name);

  // Menus.
  HMENU addMenu(Menu menu);
  Menu* findMenu(HMENU menu);
  void removeMenu(HMENU menu);

  // The calling thread's queue (made on first use) and any thread's by id.
  ThreadQueue& currentQueue();
  std::shared_ptr<ThreadQueue> queue(DWORD thread);

  bool foreignWindowsMade = false;
  bool controlClassesRegistered = false;
  HCURSOR cursor = nullptr;  // SetCursor

 private:
  std::map<std::uintptr_t, std::shared_ptr<Window>> windows_;
  std::uintptr_t nextWindow_;
  std::vector<std::shared_ptr<WindowClass>> classes_;
  ATOM nextAtom_ = 0xC000;
  std::map<std::uintptr_t, Menu> menus_;
  std::uintptr_t nextMenu_;
  std::map<std::thread::id, std::shared_ptr<ThreadQueue>> threads_;
  std::vector<std::shared_ptr<ThreadQueue>> threadsById_;
};

// The current machine's window table.
WindowState& windowState();

// The window of a handle (null with ERROR_INVALID_WINDOW_HANDLE when there is none).
std::shared_ptr<Window> windowOf(HWND hwnd);

}  // namespace win
