// The window table, class list, menus and the per-thread queues, with the
// cross-thread input contract of thread_input.h.
#include "window_state.h"

#include <chrono>

#include "controls.h"
#include "dialog_state.h"
#include "win/error.h"
#include "thread_input.h"
#include "win/outside_input.h"
#include "win/path.h"
#include "win/ui_constants.h"

namespace win {

Window::Window() = default;
Window::~Window() = default;

std::optional<std::uint64_t> ThreadQueue::nextTimerDue() {
  std::lock_guard lock(mutex);
  std::optional<std::uint64_t> due;
  for (const auto& t : timers)
    if (!due || t.due < *due) due = t.due;
  return due;
}

bool ThreadQueue::hasOutsideInput() {
  std::lock_guard lock(mutex);
  if (!tasks.empty()) return true;
  for (const auto& p : posted)
    if (p.outside) return true;
  return false;
}

namespace {

// Process waits ask this whether the waiting thread has input from other threads or processes.
bool currentThreadHasOutsideInput() { return detail::hasPendingOutsideInput(GetCurrentThreadId()); }

}  // namespace

WindowState::WindowState(Machine& m) : machine(m), nextWindow_(kFirstWindowHandle), nextMenu_(kFirstMenuHandle) {
  setOutsideInputQuery(&currentThreadHasOutsideInput);
}

WindowState::~WindowState() { setOutsideInputQuery(nullptr); }

std::shared_ptr<Window> WindowState::find(HWND hwnd) {
  std::lock_guard lock(mutex);
  auto it = windows_.find(handleValue(hwnd));
  return it == windows_.end() ? nullptr : it->second;
}

HWND WindowState::add(std::shared_ptr<Window> window) {
  std::lock_guard lock(mutex);
  HWND hwnd = handleFromValue<HWND>(nextWindow_);
  nextWindow_ += 4;
  window->hwnd = hwnd;
  windows_.emplace(handleValue(hwnd), std::move(window));
  return hwnd;
}

void WindowState::remove(HWND hwnd) {
  std::lock_guard lock(mutex);
  windows_.erase(handleValue(hwnd));
}

std::vector<std::shared_ptr<Window>> WindowState::all() {
  std::lock_guard lock(mutex);
  std::vector<std::shared_ptr<Window>> out;
  out.reserve(windows_.size());
  for (auto& [h, w] : windows_) out.push_back(w);
  return out;
}

std::shared_ptr<const WindowClass> WindowState::findClass(std::string_view name) {
  std::lock_guard lock(mutex);
  for (auto& c : classes_)
    if (namesEqual(c->name, name)) return c;
  return nullptr;
}

std::shared_ptr<const WindowClass> WindowState::findClass(ATOM atom) {
  std::lock_guard lock(mutex);
  for (auto& c : classes_)
    if (c->atom == atom) return c;
  return nullptr;
}

ATOM WindowState::addClass(WindowClass cls) {
  std::lock_guard lock(mutex);
  cls.atom = nextAtom_++;
  classes_.push_back(std::make_shared<WindowClass>(std::move(cls)));
  return classes_.back()->atom;
}

bool WindowState::removeClass(std::string_view name) {
  std::lock_guard lock(mutex);
  for (auto it = classes_.begin(); it != classes_.end(); ++it)
    if (namesEqual((*it)->name, name)) {
      classes_.erase(it);
      return true;
    }
  return false;
}

HMENU WindowState::addMenu(Menu menu) {
  std::lock_guard lock(mutex);
  HMENU h = handleFromValue<HMENU>(nextMenu_);
  nextMenu_ += 4;
  menus_.emplace(handleValue(h), std::move(menu));
  return h;
}

Menu* WindowState::findMenu(HMENU menu) {
  std::lock_guard lock(mutex);
  auto it = menus_.find(handleValue(menu));
  return it == menus_.end() ? nullptr : &it->second;
}

void WindowState::removeMenu(HMENU menu) {
  std::lock_guard lock(mutex);
  menus_.erase(handleValue(menu));
}

ThreadQueue& WindowState::currentQueue() {
  std::lock_guard lock(mutex);
  auto self = std::this_thread::get_id();
  auto it = threads_.find(self);
  if (it != threads_.end()) return *it->second;
  DWORD id = kFirstThreadId + static_cast<DWORD>(threadsById_.size());
  auto q = std::make_shared<ThreadQueue>(id);
  threads_.emplace(self, q);
  threadsById_.push_back(q);
  return *q;
}

std::shared_ptr<ThreadQueue> WindowState::queue(DWORD thread) {
  std::lock_guard lock(mutex);
  if (thread < kFirstThreadId || thread - kFirstThreadId >= threadsById_.size()) return nullptr;
  return threadsById_[thread - kFirstThreadId];
}

WindowState& windowState() { return machine().state<WindowState>(); }

std::shared_ptr<Window> windowOf(HWND hwnd) {
  auto w = hwnd ? windowState().find(hwnd) : nullptr;
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

DWORD GetCurrentThreadId() { return windowState().currentQueue().id; }

namespace detail {

bool runOnThread(DWORD thread, std::function<void()> fn) {
  auto q = windowState().queue(thread);
  if (!q) return false;
  {
    std::lock_guard lock(q->mutex);
    q->tasks.push_back(std::move(fn));
  }
  q->wake.notify_all();
  wakeProcessWaits();
  return true;
}

void setReceivesOutsideInput(bool on) { windowState().currentQueue().receivesOutsideInput = on; }

bool receivesOutsideInput(DWORD thread) {
  auto q = windowState().queue(thread);
  return q && q->receivesOutsideInput;
}

bool hasPendingOutsideInput(DWORD thread) {
  auto q = windowState().queue(thread);
  return q && q->hasOutsideInput();
}

bool waitForOutsideInput(DWORD thread, DWORD ms) {
  auto q = windowState().queue(thread);
  if (!q) return false;
  std::unique_lock lock(q->mutex);
  auto pending = [&] {
    if (!q->tasks.empty()) return true;
    for (const auto& p : q->posted)
      if (p.outside) return true;
    return false;
  };
  return q->wake.wait_for(lock, std::chrono::milliseconds(ms), pending);
}

}  // namespace detail

}  // namespace win
