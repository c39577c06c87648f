// Test fixture of the runtime's unit tests: a fresh emulated machine and a
// fresh run for every case.
#pragma once

#include <gtest/gtest.h>

#include "run.h"
#include "win_testing/test_machine.h"

namespace merl_testing {

class RuntimeTest : public ::testing::Test {
 protected:
  win_testing::TestMachine machine_;
  merl::RunScope run_;
};

}  // namespace merl_testing
