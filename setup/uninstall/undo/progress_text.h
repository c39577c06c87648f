// The progress page's services during the undo: the action text and the bar
// of the wizard (when one is open), and the wait that keeps messages flowing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace remvex {

// What the wizard's progress bar shows; it paints done / total once shown is set.
struct UndoProgress {
  std::uint32_t total = 1;
  std::uint32_t done = 0;
  bool shown = false;
};

// The run's one progress record.
UndoProgress& Progress();

// Shows "\r\n\r\n" and text as the wizard's current action (no text: leaves it), repaints
// the bar, then waits 10 ms with messages.
void SetProgressText(const std::optional<std::string>& text);

// Sets up the wizard's progress page once: the text of message 45 with the title, Next and
// Back disabled, the bar's area shown when the dialog library is present.
void ShowProgressPage(const std::string& title);

// Pumps messages until the main window's timer fires after ms; with 0, empties the queue once.
void WaitWithMessages(unsigned ms);

}  // namespace remvex
