// The sound and video record: a sound played in the background, or a video window
// of the video library placed on the 640 x 480 grid.
#pragma once

#include "interp/record.h"
#include "merl/outside_libraries.h"
#include "run.h"

namespace merl {

struct ScriptMedia : RunState {
  bool soundPlaying = false;
  win::HMODULE videoLibrary = nullptr;  // loaded once, kept for the run
  VideoWindowCreateProc createVideoWindow = nullptr;
  ~ScriptMedia() override;
};

int SoundRecord(const Record& record);

// Stops a sound the script started (the end of the run).
void StopScriptSound();

}  // namespace merl
