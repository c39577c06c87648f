#include "start/second_stage.h"

#include <chrono>
#include <thread>
#include <vector>

#include "constants.h"
#include "log/path_names.h"
#include "start/command_line.h"
#include "start/main_window.h"
#include "system/file_removal.h"
#include "win/error.h"
#include "win/files.h"

namespace remvex {

namespace {

// Deletes the first stage's program, retrying (bounded, real time) while it still runs.
void deleteProgram(const std::string& path) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyDeleteRetryMs);
  while (!win::DeleteFile(path.c_str()) && win::GetLastError() == win::ERROR_SHARING_VIOLATION &&
         std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(kBusyDeletePauseMs));
}

}  // namespace

void RunSecondStage(win::HWND window, const std::string& arguments) {
  WaitOnTimer(window, kSecondStageTimerId, kSecondStageWaitMs);
  const std::vector<std::string> words = SplitWords(arguments);
  if (words.empty()) return;
  const std::string& program = words[0];
  if (!program.empty() && !EndsWithBackslash(program)) deleteProgram(program);
  auto slash = program.rfind('\\');
  if (slash != std::string::npos) RemoveDirectoryTree(program.substr(0, slash), false);
  if (words.size() > 1 && !words[1].empty()) {
    std::string directory = words[1];
    if (EndsWithBackslash(directory)) directory.pop_back();
    RemoveDirectoryTree(directory, false);
  }
}

}  // namespace remvex
