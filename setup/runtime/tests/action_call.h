// A script run in a fresh machine for calling numbered actions directly with a
// parameter text, as a library call with flag 0x08 would, and reading variables.
#pragma once

#include <string>

#include "interp/action_params.h"
#include "merl/setup_interface.h"
#include "script/variables.h"
#include "script_run.h"

namespace merl_testing {

class ActionCallTest : public ScriptRunTest {
 protected:
  void SetUp() override { load("log text=\"\"\n"); }
  std::string value(const char* name) {
    char v[256];
    merl::GetVar(name, v, sizeof v);
    return v;
  }
  merl::ActionParams& block() { return merl::scriptHeader().internalParams; }
  // Calls the action with params as its parameter text.
  int call(merl::NumberedAction action, const std::string& params) {
    text_ = params;
    text_.push_back('\0');
    return action(&merl::RefreshInternalParams(text_.data()));
  }
  // The same in a test run (/T).
  int callInTestRun(merl::NumberedAction action, const std::string& params) {
    text_ = params;
    text_.push_back('\0');
    merl::ActionParams& p = merl::RefreshInternalParams(text_.data());
    p.runState = merl::kStateTest;
    return action(&p);
  }
  std::string file(const std::string& relative) { return machine().readText(machine().hostC(relative)); }

 private:
  std::string text_;
};

}  // namespace merl_testing
