// The run context: states made on first use, one per type and run, destroyed
// newest first while their run is current; scopes nest and restore.
#include "run.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> events;

struct First : merl::RunState {
  explicit First(merl::Run& r) : owner(&r) { events.push_back("make first"); }
  ~First() override { events.push_back(std::string("drop first, current run ") + (merl::currentRun() == owner ? "own" : "other")); }
  merl::Run* owner;
  int value = 0;
};

struct Second : merl::RunState {
  Second() { events.push_back("make second"); }
  ~Second() override { events.push_back("drop second"); }
};

TEST(RunContext, StatesAreMadeOnceAndDroppedNewestFirstWhileTheirRunIsCurrent) {
  events.clear();
  {
    merl::RunScope scope;
    merl::run().state<First>().value = 7;
    merl::run().state<Second>();
    EXPECT_EQ(merl::run().state<First>().value, 7);
    EXPECT_EQ(merl::run().state<First>().owner, &scope.run());
  }
  EXPECT_EQ(events, (std::vector<std::string>{"make first", "make second", "drop second",
                                              "drop first, current run own"}));
  EXPECT_EQ(merl::currentRun(), nullptr);
}

TEST(RunContext, InnerScopeHasItsOwnStatesAndRestoresTheOuterRun) {
  merl::SetupRec setup{};
  merl::BYTE image[] = {'?'};
  setup.scriptImage = image;
  setup.scriptLength = 0;
  merl::RunScope outer(&setup);
  merl::run().state<First>().value = 1;
  {
    merl::RunScope inner;
    EXPECT_EQ(merl::run().state<First>().value, 0);
    EXPECT_EQ(merl::run().setup(), nullptr);
  }
  EXPECT_EQ(&merl::run(), &outer.run());
  EXPECT_EQ(merl::run().state<First>().value, 1);
  EXPECT_EQ(merl::run().setup(), &setup);
  EXPECT_EQ(merl::run().scriptImage, image);
}

}  // namespace
