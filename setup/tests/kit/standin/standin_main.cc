// merl_standin: the setup program stand-in. Reads its options, the script image
// and the layout report, puts the installation file and the runtime on the
// emulated machine, makes its main window, fills the setup record, calls
// MerlMain once and prints one JSON line with what came back.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "checksum.h"
#include "constants.h"
#include "copy_callback.h"
#include "dde_after.h"
#include "layout_file.h"
#include "machine_files.h"
#include "main_window.h"
#include "platform/files.h"
#include "runtime_module.h"
#include "standin_run.h"
#include "win/clock.h"
#include "win/files.h"
#include "win/json.h"
#include "win/library.h"
#include "win/process.h"
#include "win/system.h"
#include "win/window.h"

namespace merl_standin {

StandinRun& standinRun() {
  static StandinRun run;
  return run;
}

namespace {

int fail(const std::string& why) {
  std::fprintf(stderr, "merl_standin: %s\n", why.c_str());
  return kExitBadInput;
}

struct Inputs {
  SetupLayout layout;
  std::string image;
  std::string runtime;
};

// Everything read from the host before the machine is touched; an error is the message.
std::string readInputs(const StandinOptions& o, Inputs& in) {
  std::string text, error;
  if (!platform::readWholeFile(o.layout, text, 1u << 20)) return "cannot read the layout report " + o.layout;
  auto layout = parseLayout(text, &error);
  if (!layout) return "layout report " + o.layout + ": " + error;
  in.layout = *layout;
  if (!platform::readWholeFile(o.image, in.image, kMaxImageBytes)) return "cannot read the script image " + o.image;
  if (in.image.size() != in.layout.scriptLength)
    return "the script image " + o.image + " holds " + std::to_string(in.image.size()) +
           " bytes, the layout report says " + std::to_string(in.layout.scriptLength);
  in.runtime = o.runtime.empty() ? MERL_STANDIN_DEFAULT_RUNTIME : o.runtime;
  if (!platform::fileExists(in.runtime)) return "no runtime at " + in.runtime;
  if (!o.installFile.empty() && !platform::fileExists(o.installFile))
    return "no installation file at " + o.installFile;
  return "";
}

void fillRecord(merl::SetupRec& rec, const StandinOptions& o, const SetupLayout& l, win::HWND mainWindow,
                win::HANDLE installFile, win::HGLOBAL memory) {
  rec.mainWindow = mainWindow;
  rec.setupInstance = win::GetModuleHandle(nullptr);
  rec.readOffset = o.dataOffset;
  rec.diskBaseOffset = 0;
  rec.installFile = installFile;
  rec.screenWidth = static_cast<win::DWORD>(o.screenWidth);
  rec.screenHeight = static_cast<win::DWORD>(o.screenHeight);
  rec.silentFlag = o.silent ? 1 : 0;
  rec.optionWord = o.options;
  rec.scriptLength = l.scriptLength;
  for (std::size_t i = 0; i < l.supportSizes.size(); ++i) rec.supportSizes[i] = l.supportSizes[i];
  rec.dialogBlockStoredSize = l.dialogBlockStoredSize;
  rec.dialogBlockSize = l.dialogBlockSize;
  rec.onExitOffset = l.onExit;
  rec.onCancelOffset = l.onCancel;
  rec.scriptMemory = memory;
  rec.scriptImage = static_cast<win::BYTE*>(win::GlobalLock(memory));
  rec.copyCallback = copyCallback;
  rec.checksumCallback = checksumCallback;
}

// Messages left after the call are taken without ever blocking.
void drainMessages() {
  win::MSG msg{};
  for (int i = 0; i < kMaxDrainedMessages && win::PeekMessage(&msg, nullptr, 0, 0, win::PM_REMOVE); ++i)
    win::DispatchMessage(&msg);
}

std::string bufferText(const char* buffer) { return std::string(buffer, ::strnlen(buffer, kProgramBufferSize)); }

int runSetup(StandinRun& run, const Inputs& in) {
  const StandinOptions& o = run.options;
  std::string error;
  if (!win::declareModulePath(o.module)) return fail("bad module path " + o.module);
  std::string moduleDir = windowsDirectoryOf(o.module);
  if (!makeDirectories(moduleDir, &error)) return fail(error);
  if (!o.installFile.empty() && !copyIntoMachine(o.installFile, o.module, &error)) return fail(error);
  auto runtime = loadRuntime(in.runtime, moduleDir, &error);
  if (!runtime) return fail(error);
  run.diskPrompt = runtime->diskPrompt;
  win::HWND mainWindow = createMainWindow(o.screenWidth, o.screenHeight);
  if (!mainWindow) return fail("cannot create the main window");
  win::HANDLE file =
      win::CreateFile(o.module.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ, nullptr, win::OPEN_EXISTING, 0, nullptr);
  if (file == win::INVALID_HANDLE_VALUE) return fail("cannot open the installation file " + o.module);
  win::LONG high = 0;
  win::SetFilePointer(file, static_cast<win::LONG>(o.dataOffset), &high, win::FILE_BEGIN);

  win::HGLOBAL memory = win::GlobalAlloc(win::GPTR, in.image.size() + 1);
  if (!memory) return fail("no memory for the script image");
  fillRecord(run.record, o, in.layout, mainWindow, file, memory);
  std::memcpy(run.record.scriptImage, in.image.data(), in.image.size());

  win::INT exitCode = 0;
  char program[kProgramBufferSize] = {};
  char arguments[kProgramBufferSize] = {};
  win::DWORD start = win::GetTickCount();
  run.inCall = true;
  win::INT result = runtime->merlMain(&run.record, o.commandLine.c_str(), &exitCode, program, arguments);
  run.inCall = false;
  win::DWORD elapsed = win::GetTickCount() - start;
  drainMessages();
  std::string ddeAfter = o.ddeAfter ? ddeConnectAfter(*o.ddeAfter) : "";

  win::JsonObject line;
  line.add("result", result)
      .add("exit_code", exitCode)
      .add("program", bufferText(program))
      .add("arguments", bufferText(arguments))
      .add("wm_quit", run.wmQuit)
      .add("virtual_ms", elapsed);
  if (o.ddeAfter) line.add("dde_after", ddeAfter);
  std::string text = line.text() + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);

  // What the runtime left open or allocated (freeing a handle twice fails harmlessly).
  win::CloseHandle(run.record.installFile);
  if (run.record.installFile != file) win::CloseHandle(file);
  win::GlobalFree(memory);
  if (win::IsWindow(mainWindow)) win::DestroyWindow(mainWindow);
  win::FreeLibrary(runtime->module);
  return kExitCalled;
}

}  // namespace

}  // namespace merl_standin

int main(int argc, char** argv) {
  using namespace merl_standin;
  StandinRun& run = standinRun();
  std::string error;
  auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) return fail(error);
  run.options = *options;
  Inputs inputs;
  error = readInputs(run.options, inputs);
  if (!error.empty()) return fail(error);
  int status = runSetup(run, inputs);
  win::ExitProcess(static_cast<win::UINT>(status));
}
