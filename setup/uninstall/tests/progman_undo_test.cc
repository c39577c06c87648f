// Program Manager items removed over DDE: the commands sent, in order, and the
// groups left behind.
#include "system/progman_undo.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "program_run.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

constexpr const char* kGroupsFile = "/groups.txt";  // the stand-in's groups in the state directory

// The execute strings the stand-in received, in order.
std::vector<std::string> commands(const TestMachine& m) {
  std::vector<std::string> out;
  for (const auto& line : remvex_tests::transcriptLines(m, {"\"command\":"})) {
    auto at = line.find("\"command\":\"") + 11;
    out.push_back(line.substr(at, line.find('"', at) - at));
  }
  return out;
}

struct Case {
  const char* name;
  const char* groups;  // groups.txt
  remvex::IconRecord entry;
  std::vector<std::string> sent;
  const char* left;  // groups.txt afterwards
};

TEST(ProgmanUndoTest, MatchedItemsAndEmptiedGroupsAreDeleted) {
  const Case cases[] = {
      {"only item of its group",
       "[Demo]\nReadme\tC:\\APP\\README.TXT\n",
       {"Demo", "Readme", "C:\\APP\\OTHER.TXT"},
       {"[ShowGroup(Demo,2)]", "[ShowGroup(Demo,1)]", "[DeleteItem(Readme)]", "[DeleteGroup(Demo)]"},
       ""},
      {"matched by command, its own name sent",
       "[Demo]\nRead Me First\tC:\\APP\\README.TXT\nDemo\tC:\\APP\\DEMO.EXE\n",
       {"", "Readme", "c:\\app\\readme.txt"},
       {"[ShowGroup(Demo,2)]", "[ShowGroup(Demo,1)]", "[DeleteItem(Read Me First)]"},
       "[Demo]\nDemo\tC:\\APP\\DEMO.EXE\n"},
      {"STARTUP stays",
       "[StartUp]\nDemo\tC:\\APP\\DEMO.EXE\n",
       {"StartUp", "Demo", "C:\\APP\\DEMO.EXE"},
       {"[ShowGroup(StartUp,2)]", "[ShowGroup(StartUp,1)]", "[DeleteItem(Demo)]"},
       "[StartUp]\n"},
      {"names that would break the command are not sent",
       "[Demo]\nA][B\tC:\\APP\\A.EXE\n",
       {"Demo", "A][B", "C:\\APP\\A.EXE"},
       {},
       "[Demo]\nA][B\tC:\\APP\\A.EXE\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m(remvex_tests::kUiIni);
    TestMachine::writeText(m.stateDir() + kGroupsFile, c.groups);
    remvex::ProgmanSession session;
    remvex::ReadProgmanGroups(session);
    remvex::DeleteProgmanItem(session, c.entry);
    remvex::EndProgmanSession(session);
    EXPECT_EQ(commands(m), c.sent);
    EXPECT_EQ(TestMachine::readText(m.stateDir() + kGroupsFile), c.left);
  }
}

TEST(ProgmanUndoTest, GroupWithAnItemLeftIsNotTheLast) {
  std::string group = "\"Demo\",Demo.GRP,2\r\n*Readme\",\"x\"\r\n\"Demo\",\"y\"\r\n";
  EXPECT_FALSE(remvex::IsLastItemInGroup(group));
  EXPECT_EQ(group[0], '"');
  group = "\"Demo\",Demo.GRP,1\r\n*Readme\",\"x\"\r\n";
  EXPECT_TRUE(remvex::IsLastItemInGroup(group));
  EXPECT_EQ(group[0], '*');
}

}  // namespace
