// A fixture for tests of the runtime's own dialogs: a machine with a transcript and an
// answers file, the messages "M0".."M44" as the setup record's message table, an
// 800 x 600 screen, and a run on that setup record.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "entry/dll_main.h"
#include "json_reader.h"
#include "runtime_test.h"
#include "win/library.h"

namespace merl_testing {

class DialogTest : public RuntimeTest {
 protected:
  void SetUp() override {
    // The runtime is linked in: its resources are the test program's (an earlier case may
    // have handed DllMain another module).
    DllMain(nullptr, win::DLL_PROCESS_ATTACH, nullptr);
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    for (int k = 0; k < 45; ++k) texts_.push_back("M" + std::to_string(k));
    for (const std::string& t : texts_) table_.push_back(t.c_str());
    setup_.messageTable = table_.data();
    setup_.screenWidth = 800;
    setup_.screenHeight = 600;
    scope_ = std::make_unique<merl::RunScope>(&setup_);
  }
  void TearDown() override { scope_.reset(); }

  void answers(const std::string& text) { machine().writeText(machine().stateDir() + "/answers.txt", text); }
  std::vector<merl_kit::JsonValue> events() {
    return merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl"));
  }

  std::vector<std::string> texts_;
  std::vector<const char*> table_;
  merl::SetupRec setup_{};
  std::unique_ptr<merl::RunScope> scope_;
};

}  // namespace merl_testing
