// GetOpenFileName and GetSaveFileName without a window: the next "open <path>",
// "save <path>" or "cancel" line answers (a path the dialog would refuse keeps
// it open for the next line); with no line left the file name already in the
// buffer is taken. Files are checked through the files layer; the choice
// becomes the current directory as on Windows.
#include <cstring>

#include "answers_engine.h"
#include "dialog_state.h"
#include "ui_trace.h"
#include "win/common_dialogs.h"
#include "win/error.h"
#include "win/files.h"
#include "win/path.h"
#include "window_state.h"

namespace win {

namespace {

struct Choice {
  std::string path;
  const AnswerLine* line = nullptr;
  bool cancel = false;
};

std::string bufferText(const OPENFILENAMEA& ofn) {
  return std::string(ofn.lpstrFile, strnlen(ofn.lpstrFile, ofn.nMaxFile));
}

// Why the dialog would refuse path ("" when it takes it); *full gets the absolute path.
std::string refusal(const OPENFILENAMEA& ofn, const std::string& text, std::string* full) {
  DWORD error = 0;
  std::optional<WinPath> base;
  if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir) base = parsePathFrom(ofn.lpstrInitialDir, nullptr, 0, &error);
  if (!base) base = machine().currentDirectory();
  auto path = parsePathFrom(text, &*base, 0, &error);
  if (!path || path->name().empty()) return "\"" + text + "\" is no file name";
  std::string name = path->name();
  if (name.find('.') == std::string::npos && ofn.lpstrDefExt && *ofn.lpstrDefExt)
    path = path->parent().child(name + "." + ofn.lpstrDefExt);
  *full = path->text();
  DWORD file = GetFileAttributes(full->c_str());
  DWORD folder = GetFileAttributes(path->parent().text().c_str());
  if ((ofn.Flags & OFN_FILEMUSTEXIST) && (file == INVALID_FILE_ATTRIBUTES || (file & FILE_ATTRIBUTE_DIRECTORY)))
    return *full + " does not exist";
  if ((ofn.Flags & OFN_PATHMUSTEXIST) && (folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY)))
    return "the folder of " + *full + " does not exist";
  return "";
}

void traceChoice(bool save, const OPENFILENAMEA& ofn, const std::string& answer, const AnswerLine* line,
                 const char* how) {
  JsonObject f;
  f.add("kind", save ? "save" : "open").add("title", ofn.lpstrTitle ? ofn.lpstrTitle : "");
  f.add("file", bufferText(ofn)).add("flags", detail::hex32(ofn.Flags)).add("answer", answer).add("how", how);
  if (line) f.add("line", line->line);
  detail::trace("file-dialog", f);
}

// Fills the caller's buffers with the chosen path; false with FNERR_BUFFERTOOSMALL.
bool storeChoice(OPENFILENAMEA& ofn, const std::string& full, ThreadQueue& q) {
  if (full.size() + 1 > ofn.nMaxFile) {
    if (ofn.nMaxFile >= sizeof(WORD)) {
      auto needed = static_cast<WORD>(std::min<std::size_t>(full.size() + 1, 0xFFFF));
      std::memcpy(ofn.lpstrFile, &needed, sizeof needed);
    }
    q.commDlgError = FNERR_BUFFERTOOSMALL;
    return false;
  }
  std::memcpy(ofn.lpstrFile, full.c_str(), full.size() + 1);
  auto slash = full.rfind('\\');
  auto nameStart = slash == std::string::npos ? 0 : slash + 1;
  auto dot = full.rfind('.');
  ofn.nFileOffset = static_cast<WORD>(nameStart);
  ofn.nFileExtension = static_cast<WORD>(dot == std::string::npos || dot < nameStart ? full.size() : dot + 1);
  if (ofn.lpstrFileTitle && ofn.nMaxFileTitle) {
    std::size_t n = std::min<std::size_t>(full.size() - nameStart, ofn.nMaxFileTitle - 1);
    std::memcpy(ofn.lpstrFileTitle, full.c_str() + nameStart, n);
    ofn.lpstrFileTitle[n] = 0;
  }
  if (!(ofn.Flags & OFN_NOCHANGEDIR))
    if (auto path = parsePath(full)) machine().setCurrentDirectory(path->parent());
  return true;
}

BOOL fileDialog(OPENFILENAMEA* ofn, bool save) {
  auto& q = windowState().currentQueue();
  q.commDlgError = 0;
  q.nextDialogNumber = -1;
  if (!ofn || ofn->lStructSize != sizeof(OPENFILENAMEA)) {
    q.commDlgError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
    q.commDlgError = CDERR_INITIALIZATION;
    return FALSE;
  }
  AnswerLine::Key kind = save ? AnswerLine::Key::Save : AnswerLine::Key::Open;
  for (;;) {
    auto next =
        answers().next([&](const AnswerLine& line) { return line.key == kind || line.key == AnswerLine::Key::Cancel; });
    std::string text, full;
    const char* how = "line";
    if (!next.line) {
      text = bufferText(*ofn);
      how = "unscripted";
      if (text.empty())
        answersStuck(nullptr,
                     std::string(save ? "save" : "open") + " file dialog has no answers line and no file name");
    } else if (!next.taken) {
      answersStuck(next.line,
                   std::string("it is not for the ") + (save ? "save" : "open") + " file dialog, which is open");
    } else if (next.line->key == AnswerLine::Key::Cancel) {
      traceChoice(save, *ofn, "cancel", next.line, "line");
      return FALSE;
    } else {
      text = next.line->keyText;
    }
    std::string why = refusal(*ofn, text, &full);
    if (why.empty()) {
      traceChoice(save, *ofn, full, next.line, how);
      return storeChoice(*ofn, full, q) ? TRUE : FALSE;
    }
    traceChoice(save, *ofn, "refused: " + why, next.line, how);
    if (!next.line) answersStuck(nullptr, "the file dialog refuses its own file name: " + why);
  }
}

}  // namespace

BOOL GetOpenFileName(OPENFILENAMEA* ofn) { return fileDialog(ofn, false); }

BOOL GetSaveFileName(OPENFILENAMEA* ofn) { return fileDialog(ofn, true); }

DWORD CommDlgExtendedError() { return windowState().currentQueue().commDlgError; }

}  // namespace win
