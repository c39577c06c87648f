// Whole runs of libMERL0132.so through the stand-in: a kit machine of one
// platform, the one-language demo header, the action double at C:\APP\ACT.DLL.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "kit_machine.h"

namespace merl_testing {

// A header with the demo title, the final log path and message 1 ("Installation complete.").
inline std::string demoHeader(const std::string& extra = "") {
  return "header {\n  log_path = \"C:\\\\APP\\\\INSTALL.LOG\"\n" + extra +
         "  language { name = \"English\" title = \"Demo Setup\" m1 = \"Installation complete.\" m2 = \"Write failed.\""
         " m7 = \"It failed.\" }\n}\n";
}

// A record that calls the action double's SetVars with params.
inline std::string actionCall(const std::string& params) {
  return "call library=\"C:\\\\APP\\\\ACT.DLL\" function=\"SetVars\" params=\"" + params + "\"\n";
}

inline std::string machineIni(const std::string& platform, const std::string& extra = "") {
  return "[system]\nplatform = " + platform + "\n[clock]\nstart = 2003-02-25T14:05:09\n" + extra;
}

class WholeRunTest : public ::testing::Test {
 protected:
  // A fresh machine for each use; the action double is installed on it.
  merl_kit::KitMachine& machine(const std::string& ini = machineIni("9x")) {
    kit_.reset();  // one machine at a time
    kit_ = std::make_unique<merl_kit::KitMachine>(ini);
    kit_->install(merl_kit::Double::Action, "C:\\APP\\ACT.DLL");
    return *kit_;
  }
  merl_kit::KitMachine& kit() { return *kit_; }

  // Runs and checks that the stand-in called MerlMain.
  merl_kit::StandinResult runOk(const std::vector<std::string>& options, const std::string& commandLine = "") {
    merl_kit::StandinResult r = kit_->run(options, commandLine);
    EXPECT_EQ(r.status, 0) << r.err << r.out;
    return r;
  }

  // Names in the machine's TEMP directory that start with prefix.
  std::vector<std::string> tempFiles(const std::string& prefix = "QD");

 private:
  std::unique_ptr<merl_kit::KitMachine> kit_;
};

}  // namespace merl_testing
