// A library for the library tests: a DllMain that logs each call to the host
// file named by IDS_TEST_LIBRARY_LOG (and refuses to attach while
// IDS_TEST_LIBRARY_REFUSE is set), two exports and a resource table.
#include <cstdio>
#include <cstdlib>

#include "win/library.h"
#include "win/resource.h"

namespace {

win::HINSTANCE self = nullptr;

void log(const char* what, win::HINSTANCE instance, win::LPVOID reserved) {
  const char* path = std::getenv("IDS_TEST_LIBRARY_LOG");
  if (!path) return;
  if (std::FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s %lu %d\n", what, static_cast<unsigned long>(win::handleValue(instance)), reserved ? 1 : 0);
    std::fclose(f);
  }
}

const char kAlready[] = "Application is already running - Terminating this instance";
const char kCaption[] = "Multiple Instance";
const unsigned char kDialog[] = {0xC0, 0x00, 0xC8, 0x80, 0, 0, 0, 0, 0, 0};
const unsigned char kRestart[] = {'M', 'Z', 0x90, 0x00};
const char kGreeting[] = "hello";

const win::ResourceEntry kEntries[] = {
    {win::RT_STRING_ID, nullptr, 79, nullptr, kAlready, sizeof kAlready - 1},
    {win::RT_STRING_ID, nullptr, 80, nullptr, kCaption, sizeof kCaption - 1},
    {win::RT_DIALOG_ID, nullptr, 106, nullptr, kDialog, sizeof kDialog},
    {300, nullptr, 30202, nullptr, kRestart, sizeof kRestart},
    {0, "TEXTS", 0, "GREETING", kGreeting, sizeof kGreeting - 1},
};

}  // namespace

IDS_WIN_RESOURCE_TABLE(kEntries);

extern "C" {

win::BOOL DllMain(win::HINSTANCE instance, win::DWORD reason, win::LPVOID reserved) {
  if (reason == win::DLL_PROCESS_ATTACH) {
    self = instance;
    log("attach", instance, reserved);
    return std::getenv("IDS_TEST_LIBRARY_REFUSE") ? win::FALSE : win::TRUE;
  }
  if (reason == win::DLL_PROCESS_DETACH) log("detach", instance, reserved);
  return win::TRUE;
}

int TestLibraryAnswer() { return 42; }

win::HINSTANCE TestLibraryInstance() { return self; }

}  // extern "C"
