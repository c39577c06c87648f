// Runs assembled scripts through RunScript in a fresh machine and run: the image with
// its end mark, a setup record with a message table, and the interpreter's seams
// captured (abort messages, message boxes, log texts, logged actions, log lines).
#pragma once

#include <string>
#include <vector>

#include "assembler.h"
#include "interp/cursor.h"
#include "interp/run_script.h"
#include "interp/seams.h"
#include "log/log_sink.h"
#include "runtime_test.h"

namespace merl_testing {

class ScriptRunTest : public RuntimeTest {
 protected:
  ScriptRunTest() {
    for (int k = 0; k < 45; ++k) messageTexts_.push_back("M" + std::to_string(k) + ": %s");
  }

  // Assembles a one-language script of body, puts the cursor on its first record and installs
  // fresh captures. The label "start" must not be used by body.
  void load(const std::string& body) {
    merl_asm::AssemblyResult r =
        merl_asm::assembleSource("header {\n  language { name=\"L0\" title=\"T\" }\n}\nstart: " + body, "t.mas", "");
    ASSERT_TRUE(r.ok) << r.error;
    image_.assign(r.assembly.image.begin(), r.assembly.image.end());
    image_.push_back('?');
    layout_ = r.assembly.layout;
    messages.clear(), boxes.clear(), actions.clear(), logLines.clear(), log.clear();
    for (std::size_t k = 0; k < messageTexts_.size(); ++k) messageTable_[k] = messageTexts_[k].c_str();
    setup_ = merl::SetupRec{};
    setup_.messageTable = messageTable_;
    scope_.reset();
    scope_ = std::make_unique<merl::RunScope>(&setup_);
    run_().scriptImage = image_.data();
    run_().scriptLength = static_cast<merl::DWORD>(image_.size() - 1);
    merl::cursor().position = label("start");
    merl::InterpSeams& s = merl::seams();
    s.showMessage = [this](int k, std::string_view text) { messages.push_back(std::to_string(k) + "|" + std::string(text)); };
    s.messageBox = [this](std::string_view title, std::string_view text, int flags) {
      boxes.push_back(std::string(title) + "|" + std::string(text) + "|" + std::to_string(flags));
      return boxAnswer ? boxAnswer() : 1;
    };
    s.logText = [this](std::string_view text) { log += text; };
    s.logOpen = [] { return true; };
    s.logAction = [this](std::string_view kind, std::initializer_list<std::string_view> fields) {
      std::string line(kind);
      for (std::string_view f : fields) line += "|" + std::string(f);
      actions.push_back(line);
    };
    merl::setLogLineWriter([this](std::string_view text) { logLines.push_back(std::string(text)); });
  }

  // Calls RunScript while it asks to be called again (bounded); its last result.
  int runAll() {
    int r = 0;
    for (int calls = 0; calls < 10000 && r == 0; ++calls) r = merl::RunScript();
    return r;
  }

  merl::DWORD label(const std::string& name) const {
    for (const auto& l : layout_.labels)
      if (l.name == name) return l.offset;
    ADD_FAILURE() << "no label " << name;
    return 0;
  }
  merl::BYTE byteAt(const std::string& name, int i) const { return image_[label(name) + i]; }
  merl::Run& run_() { return scope_->run(); }
  void setMessage(int k, const std::string& text) { messageTexts_[k] = text; messageTable_[k] = messageTexts_[k].c_str(); }

  std::vector<std::string> messages, boxes, actions, logLines;
  std::string log;
  std::function<int()> boxAnswer;
  merl::SetupRec setup_{};

 private:
  std::vector<merl::BYTE> image_;
  merl_asm::Layout layout_;
  std::vector<std::string> messageTexts_;
  const char* messageTable_[45] = {};
  std::unique_ptr<merl::RunScope> scope_;
};

}  // namespace merl_testing
