// MessageBox without a window: the answer is the next answers line naming its
// caption (or the caller's "#<n>"), else its default button; every call goes
// to the transcript with its texts, style and answer. Beeps are recorded.
#include "win/message_box.h"

#include <vector>

#include "answer_apply.h"
#include "answers_engine.h"
#include "dialog_state.h"
#include "ui_trace.h"
#include "win/dialog.h"
#include "win/error.h"
#include "win/ui_constants.h"

namespace win {

namespace {

std::vector<int> buttonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK:
      return {IDOK};
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
      return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
      return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
      return {IDYES, IDNO};
    case MB_RETRYCANCEL:
      return {IDRETRY, IDCANCEL};
    default:
      return {};
  }
}

const char* iconName(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      return "stop";
    case MB_ICONQUESTION:
      return "question";
    case MB_ICONEXCLAMATION:
      return "exclamation";
    case MB_ICONASTERISK:
      return "information";
    default:
      return "none";
  }
}

int defaultButton(const std::vector<int>& buttons, UINT type) {
  std::size_t index = (type & MB_DEFMASK) >> 8;
  return buttons[index < buttons.size() ? index : 0];
}

bool hasButton(const std::vector<int>& buttons, int id) {
  for (int b : buttons)
    if (b == id) return true;
  return false;
}

std::string buttonList(const std::vector<int>& buttons) {
  std::string out;
  for (int b : buttons) out += (out.empty() ? "" : ", ") + std::to_string(b);
  return out;
}

// The answer from the next line for this box, or its default button.
int answerOf(const DialogKeys& keys, const std::vector<int>& buttons, UINT type, const AnswerLine** used) {
  auto next = answers().next([&](const AnswerLine& line) { return keyNamesDialog(line, keys); });
  *used = next.line;
  if (!next.line) return defaultButton(buttons, type);
  const AnswerLine& line = *next.line;
  if (!next.taken) answersStuck(&line, "it is not for message box " + keys.primary() + ", which is open");
  if (!line.actions.empty()) answersStuck(&line, "a message box has no controls for its actions");
  if (line.answer == AnswerLine::Answer::Wait) answersStuck(&line, "a message box cannot end itself");
  if (!hasButton(buttons, line.button))
    answersStuck(&line, "button " + std::to_string(line.button) + " is not one of the message box's (" +
                            buttonList(buttons) + ")");
  if (line.answer == AnswerLine::Answer::Until && !holdUntilFile(windowState().currentQueue(), line.untilFile))
    answersStuck(&line,
                 line.untilFile + " did not appear within " + std::to_string(kOutsideInputGuardMs / 1000) + " s");
  return line.button;
}

}  // namespace

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  auto buttons = buttonsOf(type);
  if (buttons.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto& queue = windowState().currentQueue();
  DialogKeys keys;
  keys.number = queue.nextDialogNumber;
  queue.nextDialogNumber = -1;
  keys.caption = caption ? caption : kDefaultMessageBoxCaption;
  const AnswerLine* line = nullptr;
  int answer = answerOf(keys, buttons, type, &line);
  JsonObject f;
  f.add("key", keys.primary()).add("owner", detail::hv(owner)).add("caption", keys.caption);
  f.add("text", text ? text : "").add("style", detail::hex32(type)).add("icon", iconName(type));
  JsonArray list;
  for (int b : buttons) list.add(b);
  f.add("buttons", list).add("answer", answer);
  f.add("how", !line ? "unscripted" : line->answer == AnswerLine::Answer::Until ? "until" : "line");
  if (line) f.add("line", line->line);
  detail::trace("messagebox", f);
  return answer;
}

BOOL MessageBeep(UINT type) {
  detail::trace("beep", JsonObject().add("type", detail::hex32(type)));
  return TRUE;
}

BOOL Beep(DWORD frequency, DWORD duration) {
  detail::trace("beep", JsonObject()
                            .add("frequency", static_cast<std::uint64_t>(frequency))
                            .add("duration", static_cast<std::uint64_t>(duration)));
  return TRUE;
}

}  // namespace win
