// What MerlMain keeps for one run: the command line and its switches, the data base
// offset, the support files and the libraries loaded from them, CTL3D, the dialog
// block, the buffers allocated at start and the section that is running.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "merl/outside_libraries.h"
#include "run.h"

namespace merl {

enum class Section { None, OnExit, OnCancel };

// Dialog font styles chosen from option bits 9-10.
enum class DialogFont { Bold, Light };

struct MainState : RunState {
  std::string commandLine;   // the whole command line as given
  std::string extractTarget;  // the text after the /X or /Z switch, blanks skipped
  std::string setVariableFile;  // /M=name, made absolute against the setup program's directory
  bool showSelfRegistered = false;  // /M1
  DialogFont dialogFont = DialogFont::Bold;
  DWORD dataBaseOffset = 0;
  Section section = Section::None;
  bool ddeRunning = false;

  // Support files by number (3..10): their paths, empty when none was made.
  std::array<std::string, kLastSupportFile + 1> supportPaths;
  bool systemRestartHandedBack = false;  // support file 10 is the program handed back

  HINSTANCE hookLibrary = nullptr;
  HookProc hook = nullptr;
  HINSTANCE progressLibrary = nullptr;
  ProgressUpdateProc progress = nullptr;
  HINSTANCE internetLibrary = nullptr;

  HINSTANCE ctl3dLibrary = nullptr;
  bool ctl3dRegistered = false;
  Ctl3dInstanceProc ctl3dUnregister = nullptr;
  Ctl3dDlgFramePaintProc ctl3dFramePaint = nullptr;

  std::vector<BYTE> dialogBlock;
  std::vector<win::HBITMAP> bitmaps;
};

MainState& mainState();

// The restart request of the run: set when a file was scheduled for replacement through
// the restart batch file.
struct RestartState : RunState {
  bool restartNeeded = false;
};

RestartState& restartState();

}  // namespace merl
