// Windows: classes and their errors, deterministic handles, the messages of
// creation and destruction, frame sizes and coordinates, relations, FindWindow
// over [windows], window longs, show state, focus, the system menu and the
// transcript lines of window events.
#include "win/window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_test_support.h"
#include "win/error.h"
#include "win/message.h"

namespace {

using namespace win;
using win_testing::TestMachine;

std::vector<std::string> log;

std::string nameOf(UINT message) {
  switch (message) {
    case WM_NCCREATE:
      return "NCCREATE";
    case WM_CREATE:
      return "CREATE";
    case WM_DESTROY:
      return "DESTROY";
    case WM_NCDESTROY:
      return "NCDESTROY";
    case WM_SHOWWINDOW:
      return "SHOWWINDOW";
    case WM_SETFOCUS:
      return "SETFOCUS";
    case WM_KILLFOCUS:
      return "KILLFOCUS";
    case WM_ENABLE:
      return "ENABLE";
    case WM_WININICHANGE:
      return "WININICHANGE";
    default:
      return "";
  }
}

LRESULT loggingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::string name = nameOf(message);
  if (!name.empty()) {
    char text[64] = "";
    GetWindowText(hwnd, text, sizeof text);
    log.push_back(std::string(text) + ":" + name);
  }
  if (message == WM_CREATE && std::string(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpszName) == "refuse") return -1;
  return DefWindowProc(hwnd, message, wParam, lParam);
}

void registerLogging(int extra = 0) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = loggingProc;
  wc.lpszClassName = "Logging";
  wc.cbWndExtra = extra;
  RegisterClass(&wc);
}

HWND make(const char* title, DWORD style, HWND parent = nullptr, int id = 0, RECT r = {0, 0, 100, 50}) {
  return CreateWindowEx(0, "Logging", title, style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                        reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), nullptr, nullptr);
}

TEST(WindowTest, ClassCallsGiveWindowsErrors) {
  TestMachine m;
  WNDCLASSA wc{};
  wc.lpfnWndProc = loggingProc;
  wc.lpszClassName = "Logging";
  EXPECT_NE(RegisterClass(&wc), 0);
  struct Case {
    const char* name;
    WNDPROC proc;
    DWORD error;
  } cases[] = {{"logging", loggingProc, ERROR_CLASS_ALREADY_EXISTS},
               {"BUTTON", loggingProc, ERROR_CLASS_ALREADY_EXISTS},
               {"NoProc", nullptr, ERROR_INVALID_PARAMETER}};
  for (const auto& c : cases) {
    WNDCLASSA bad{};
    bad.lpfnWndProc = c.proc;
    bad.lpszClassName = c.name;
    make("x", 0);  // makes the built-in classes exist
    EXPECT_EQ(RegisterClass(&bad), 0) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
  }
  EXPECT_EQ(CreateWindowEx(0, "Nowhere", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_EQ(make("child", WS_CHILD), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);
  EXPECT_FALSE(UnregisterClass("Logging", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
  EXPECT_FALSE(UnregisterClass("Edit", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
}

TEST(WindowTest, HandlesComeInOrderAndAreNeverReused) {
  TestMachine m;
  registerLogging();
  HWND a = make("a", 0), b = make("b", 0);
  EXPECT_EQ(handleValue(a), 0x10000u);
  EXPECT_EQ(handleValue(b), 0x10004u);
  DestroyWindow(a);
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(handleValue(make("c", 0)), 0x10008u);
}

TEST(WindowTest, CreationAndDestructionSendTheirMessagesInOrder) {
  TestMachine m;
  registerLogging();
  log.clear();
  HWND main = make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = make("child", WS_CHILD, main, 7);
  HWND popup = make("popup", WS_POPUP, main);
  EXPECT_EQ(make("refuse", 0), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"main:NCCREATE", "main:CREATE", "main:SHOWWINDOW", "child:NCCREATE",
                                           "child:CREATE", "popup:NCCREATE", "popup:CREATE", "refuse:NCCREATE",
                                           "refuse:CREATE", "refuse:DESTROY", "refuse:NCDESTROY"}));
  EXPECT_EQ(GetParent(child), main);
  EXPECT_EQ(GetParent(popup), main);  // the owner
  log.clear();
  ASSERT_TRUE(DestroyWindow(main));
  EXPECT_EQ(log, (std::vector<std::string>{"popup:DESTROY", "popup:NCDESTROY", "main:DESTROY", "child:DESTROY",
                                           "child:NCDESTROY", "main:NCDESTROY"}));
  for (HWND h : {main, child, popup}) EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(DestroyWindow(main));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST(WindowTest, FramesLeaveTheDocumentedClientAreas) {
  TestMachine m;
  registerLogging();
  struct Case {
    DWORD style, exStyle;
    RECT client;
  } cases[] = {
      {WS_OVERLAPPEDWINDOW, 0, {0, 0, 92, 23}},    // sizing frame 4, caption 19
      {WS_POPUP | WS_CAPTION, 0, {0, 0, 94, 25}},  // dialog frame 3, caption 19
      {WS_POPUP, WS_EX_DLGMODALFRAME, {0, 0, 94, 44}}, {WS_POPUP | WS_BORDER, 0, {0, 0, 98, 48}},
      {WS_POPUP, WS_EX_CLIENTEDGE, {0, 0, 96, 46}},    {WS_POPUP, 0, {0, 0, 100, 50}},
  };
  for (const auto& c : cases) {
    HWND h = CreateWindowEx(c.exStyle, "Logging", "", c.style, 10, 20, 100, 50, nullptr, nullptr, nullptr, nullptr);
    RECT client, window;
    GetClientRect(h, &client);
    GetWindowRect(h, &window);
    EXPECT_EQ(client.right, c.client.right) << std::hex << c.style;
    EXPECT_EQ(client.bottom, c.client.bottom) << std::hex << c.style;
    EXPECT_EQ(window.left, 10);
    EXPECT_EQ(window.bottom, 70);
  }
}

TEST(WindowTest, ChildCoordinatesFollowTheParentsClientArea) {
  TestMachine m;
  registerLogging();
  HWND main = make("main", WS_POPUP | WS_CAPTION, nullptr, 0, {100, 50, 400, 350});
  HWND child = make("child", WS_CHILD | WS_BORDER, main, 3, {10, 20, 60, 40});
  RECT r;
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 100 + 3 + 10);
  EXPECT_EQ(r.top, 50 + 3 + 19 + 20);
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 114);
  EXPECT_EQ(p.y, 93);
  ScreenToClient(main, &p);
  EXPECT_EQ(p.x, 11);
  EXPECT_EQ(p.y, 21);
  POINT q[2] = {{0, 0}, {5, 5}};
  int shift = MapWindowPoints(child, main, q, 2);
  EXPECT_EQ(q[1].x, 16);
  EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(shift)), 11);
  MoveWindow(child, 30, 40, 10, 10, FALSE);
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 133);
}

int enumerated = 0;
std::vector<int> enumIds;
BOOL collect(HWND h, LPARAM stopAfter) {
  enumIds.push_back(GetDlgCtrlID(h));
  return ++enumerated < stopAfter;
}

TEST(WindowTest, RelationsAndEnumerationFollowZOrder) {
  TestMachine m;
  registerLogging();
  HWND main = make("main", WS_POPUP);
  HWND a = make("a", WS_CHILD, main, 1);
  HWND a1 = make("a1", WS_CHILD, a, 11);
  HWND b = make("b", WS_CHILD, main, 2);
  EXPECT_EQ(GetWindow(main, GW_CHILD), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDPREV), a);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetDlgItem(main, 2), b);
  EXPECT_EQ(GetDlgItem(main, 11), nullptr);  // direct children only
  EXPECT_TRUE(IsChild(main, a1));
  enumIds.clear();
  enumerated = 0;
  EnumChildWindows(main, collect, 100);
  EXPECT_EQ(enumIds, (std::vector<int>{1, 11, 2}));
  enumIds.clear();
  enumerated = 0;
  EnumChildWindows(main, collect, 2);
  EXPECT_EQ(enumIds, (std::vector<int>{1, 11}));
  SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(main, GW_CHILD), b);
}

TEST(WindowTest, FindWindowSeesOwnWindowsThenOtherProgramsFromTheDescription) {
  TestMachine m("[windows]\nIB_Server = InterBase Server\nQDTXUninstall = Uninstall\n");
  registerLogging();
  HWND own = make("Uninstall", WS_POPUP);
  struct Case {
    const char* cls;
    const char* title;
    bool own;
    const char* expectTitle;
  } cases[] = {{"ib_server", nullptr, false, "InterBase Server"},
               {nullptr, "interbase server", false, "InterBase Server"},
               {"Logging", "Uninstall", true, "Uninstall"},
               {nullptr, "Uninstall", true, "Uninstall"}};
  for (const auto& c : cases) {
    HWND h = FindWindow(c.cls, c.title);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h == own, c.own);
    char text[64];
    GetWindowText(h, text, sizeof text);
    EXPECT_STREQ(text, c.expectTitle);
  }
  EXPECT_EQ(FindWindow("Nothing", nullptr), nullptr);
  HWND theirs = FindWindow("IB_Server", nullptr);
  EXPECT_TRUE(IsWindow(theirs));
  EXPECT_EQ(SendMessage(theirs, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(DestroyWindow(theirs));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(WindowTest, WindowLongsReadAndWriteWhatTheyName) {
  TestMachine m;
  registerLogging(8);
  HWND main = make("main", WS_POPUP | WS_CAPTION);
  HWND child = make("child", WS_CHILD, main, 42);
  EXPECT_EQ(GetWindowLong(child, GWL_ID), 42);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLong(main, GWL_STYLE)), WS_POPUP | WS_CAPTION);
  EXPECT_EQ(SetWindowLongPtr(main, GWLP_USERDATA, 77), 0);
  EXPECT_EQ(GetWindowLongPtr(main, GWLP_USERDATA), 77);
  EXPECT_EQ(SetWindowLong(main, 4, 9), 0);
  EXPECT_EQ(GetWindowLong(main, 4), 9);
  SetLastError(0);
  EXPECT_EQ(GetWindowLong(main, 6), 0);  // past the 8 extra bytes
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  auto old = reinterpret_cast<WNDPROC>(SetWindowLongPtr(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProc)));
  EXPECT_EQ(old, loggingProc);
  EXPECT_EQ(GetWindowLongPtr(main, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(DefWindowProc));
}

TEST(WindowTest, ShowEnableAndFocusReportTheirPreviousState) {
  TestMachine m("[system]\nscreen = 800x600\n");
  registerLogging();
  HWND main = make("main", WS_OVERLAPPEDWINDOW, nullptr, 0, {10, 10, 110, 60});
  HWND child = make("child", WS_CHILD | WS_VISIBLE, main, 1);
  EXPECT_FALSE(IsWindowVisible(child));  // its parent is hidden
  EXPECT_FALSE(ShowWindow(main, SW_SHOWMAXIMIZED));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(IsZoomed(main));
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right, 800);
  EXPECT_EQ(r.bottom, 600);
  EXPECT_TRUE(ShowWindow(main, SW_RESTORE));
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right, 110);
  EXPECT_FALSE(EnableWindow(child, FALSE));
  EXPECT_TRUE(EnableWindow(child, FALSE));
  EXPECT_FALSE(IsWindowEnabled(child));
  log.clear();
  EXPECT_EQ(SetFocus(main), nullptr);
  EXPECT_EQ(SetFocus(child), main);
  EXPECT_EQ(GetFocus(), child);
  EXPECT_EQ(log, (std::vector<std::string>{"main:SETFOCUS", "main:KILLFOCUS", "child:SETFOCUS"}));
}

TEST(WindowTest, SystemMenuItemsGreyAndComeBack) {
  TestMachine m;
  registerLogging();
  HWND plain = make("plain", WS_POPUP);
  HWND main = make("main", WS_POPUP | WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(GetSystemMenu(plain, FALSE), nullptr);
  HMENU menu = GetSystemMenu(main, FALSE);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetSystemMenu(main, FALSE), menu);
  EXPECT_EQ(EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(menu, 0, MF_BYPOSITION | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));  // SC_RESTORE
  EXPECT_EQ(EnableMenuItem(menu, 0x1234, MF_BYCOMMAND), -1);
  EXPECT_EQ(EnableMenuItem(handleFromValue<HMENU>(0x999), SC_CLOSE, 0), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
}

TEST(WindowTest, SystemIconsLoadByNumberOnly) {
  TestMachine m;
  for (LPCSTR name : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK})
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(LoadIcon(nullptr, name)), reinterpret_cast<std::uintptr_t>(name));
  struct Case {
    HINSTANCE instance;
    LPCSTR name;
  } refused[] = {{nullptr, MAKEINTRESOURCE(32511)}, {nullptr, MAKEINTRESOURCE(32517)}, {nullptr, "APPICON"},
                 {handleFromValue<HINSTANCE>(0x400000), IDI_HAND}};
  for (const Case& c : refused) {
    SetLastError(0);
    EXPECT_EQ(LoadIcon(c.instance, c.name), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  }
}

TEST(WindowTest, WindowEventsGoToTheTranscript) {
  TestMachine m(ui_test::kTranscriptIni);
  m.machine().setModulePath("C:\\SETUP.EXE");
  registerLogging();
  HWND main = make("main", WS_POPUP | WS_VISIBLE);
  SetWindowText(main, "Setup");
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  MoveWindow(main, 5, 6, 100, 50, FALSE);
  InvalidateRect(main, nullptr, TRUE);
  SendMessage(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("Environment"));
  EXPECT_FALSE(PostMessage(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("Environment")));
  EXPECT_EQ(GetLastError(), ERROR_MESSAGE_SYNC_ONLY);
  EXPECT_TRUE(PostMessage(HWND_BROADCAST, WM_FONTCHANGE, 0, 0));
  DestroyWindow(main);
  EXPECT_EQ(ui_test::transcriptOf(m),
            "{\"t\":0,\"prog\":\"SETUP.EXE\",\"ev\":\"window-create\",\"hwnd\":65536,\"class\":\"Logging\","
            "\"title\":\"main\",\"style\":\"0x90000000\",\"rect\":[0,0,100,50]}\n"
            "{\"t\":0,\"prog\":\"SETUP.EXE\",\"ev\":\"text\",\"hwnd\":65536,\"text\":\"Setup\"}\n"
            "{\"t\":0,\"prog\":\"SETUP.EXE\",\"ev\":\"zorder\",\"hwnd\":65536,\"topmost\":true}\n"
            "{\"t\":0,\"prog\":\"SETUP.EXE\",\"ev\":\"move\",\"hwnd\":65536,\"rect\":[5,6,105,56]}\n"
            "{\"t\":0,\"prog\":\"SETUP.EXE\",\"ev\":\"invalidate\",\"hwnd\":65536,\"erase\":true}\n"
            "{\"t\":0,\"prog\":\"SETUP.EXE\",\"ev\":\"broadcast\",\"message\":26,\"name\":\"WM_WININICHANGE\","
            "\"wparam\":0,\"text\":\"Environment\",\"posted\":false}\n"
            "{\"t\":0,\"prog\":\"SETUP.EXE\",\"ev\":\"broadcast\",\"message\":26,\"name\":\"WM_WININICHANGE\","
            "\"wparam\":0,\"text\":\"Environment\",\"posted\":true}\n"
            "{\"t\":0,\"prog\":\"SETUP.EXE\",\"ev\":\"broadcast\",\"message\":29,\"name\":\"WM_FONTCHANGE\","
            "\"wparam\":0,\"posted\":true}\n"
            "{\"t\":0,\"prog\":\"SETUP.EXE\",\"ev\":\"window-destroy\",\"hwnd\":65536}\n");
}

}  // namespace
