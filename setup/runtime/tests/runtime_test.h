// Test fixture of the runtime's unit tests: a fresh emulated machine and a
// fresh run for every case; useMachine swaps in a machine of its own
// description (and a fresh run over it).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "run.h"
#include "win_testing/test_machine.h"

namespace merl_testing {

class RuntimeTest : public ::testing::Test {
 protected:
  // Replaces the machine by one described by ini ("$STATE" is its state directory) and starts
  // a fresh run on it.
  win_testing::TestMachine& useMachine(const std::string& ini) {
    run_.reset();
    machine_.reset();
    machine_ = std::make_unique<win_testing::TestMachine>(ini);
    run_ = std::make_unique<merl::RunScope>();
    return *machine_;
  }

  win_testing::TestMachine& machine() { return *machine_; }
  merl::Run& run() { return run_->run(); }

  // The entries of a host directory (0 when it is none).
  static std::size_t entriesIn(const std::string& hostDir) {
    std::error_code ec;
    std::size_t n = 0;
    for (auto it = std::filesystem::directory_iterator(hostDir, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec))
      ++n;
    return n;
  }

 private:
  std::unique_ptr<win_testing::TestMachine> machine_ = std::make_unique<win_testing::TestMachine>();
  std::unique_ptr<merl::RunScope> run_ = std::make_unique<merl::RunScope>();
};

}  // namespace merl_testing
