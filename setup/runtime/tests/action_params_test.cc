// Field splitting, numeric and flag fields of the action parameter text, and
// the edited-file replacement with its numbered backup.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/backup_edited_file.h"
#include "interp/action_params.h"
#include "script_run.h"

namespace {

std::vector<std::string> fields(const std::string& text, std::size_t capacity, int count) {
  std::vector<std::string> out;
  const char* at = text.c_str();
  for (int i = 0; i < count; ++i) {
    std::vector<char> buffer(capacity, '#');
    at = merl::NextParamField(buffer.data(), capacity, at);
    out.emplace_back(buffer.data());
  }
  return out;
}

TEST(ParamFields, SplitAtTheSeparatorAndGiveEmptyFieldsPastTheEnd) {
  using V = std::vector<std::string>;
  EXPECT_EQ(fields("a\x7F" "b", 256, 3), (V{"a", "b", ""}));
  EXPECT_EQ(fields("\x7F\x7F", 256, 3), (V{"", "", ""}));
  EXPECT_EQ(fields("only", 256, 2), (V{"only", ""}));
  EXPECT_EQ(fields("", 256, 2), (V{"", ""}));
  EXPECT_EQ(fields(std::string(300, 'z') + "\x7Fnext", 256, 2), (V{std::string(255, 'z'), "next"}));
  EXPECT_EQ(fields("abcdef\x7Fg", 4, 2), (V{"abc", "g"}));
}

TEST(ParamFields, NumbersTakeBlanksAndSignAndSaturate) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"  -12x", -12}, {"abc", 0}, {"", 0}, {"+7", 7}, {"99999999999", 2147483647},
               {"-99999999999", -2147483647 - 1}, {"\t42", 42}, {"- 1", 0}};
  for (const Case& c : cases) EXPECT_EQ(merl::ParamNumber(c.text), c.value) << c.text;
}

TEST(ParamFields, AFlagIsSetByAnyFirstCharacterButZero) {
  for (auto [text, set] : std::initializer_list<std::pair<const char*, bool>>{
           {"1", true}, {"0", false}, {"", false}, {"x", true}, {"01", false}})
    EXPECT_EQ(merl::ParamFlag(text), set) << text;
}

class EditedFileTest : public merl_testing::ScriptRunTest {
 protected:
  std::string file(const std::string& relative) { return machine().readText(machine().hostC(relative)); }
  bool exists(const std::string& relative) { return std::filesystem::exists(machine().hostC(relative)); }
};

TEST_F(EditedFileTest, TheEditedCopyReplacesTheFileBesideItsNumberedBackup) {
  struct Case {
    const char* path;
    const char* host;
    const char* taken;  // an existing backup name, or null
    const char* backup;
  } cases[] = {{"C:\\CONFIG.SYS", "CONFIG.SYS", nullptr, "C:\\CONFIG.001"},
               {"C:\\CONFIG.SYS", "CONFIG.SYS", "CONFIG.001", "C:\\CONFIG.002"},
               {"C:\\AUTOEXEC", "AUTOEXEC", nullptr, "C:\\AUTOEXEC.001"},
               {"C:\\MY.DIR\\FILE", "MY.DIR/FILE", nullptr, "C:\\MY.DIR\\FILE.001"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    useScriptMachine();
    load("log text=\"\"\n");
    machine().makeFile(c.host, "old");
    if (c.taken) machine().makeFile(c.taken, "taken");
    std::string dir = std::string(c.path).substr(0, std::string(c.path).rfind('\\') + 1);
    std::string temp = dir + "~EDIT.TMP";
    machine().makeFile(std::string(c.host).substr(0, std::string(c.host).rfind('/') + 1) + "~EDIT.TMP", "new");
    EXPECT_TRUE(merl::BackupEditedFile(c.path, temp.c_str(), false));
    EXPECT_EQ(file(c.host), "new");
    std::string backupHost = std::string(c.backup).substr(3);
    std::replace(backupHost.begin(), backupHost.end(), '\\', '/');
    EXPECT_EQ(file(backupHost), "old");
    EXPECT_FALSE(exists(std::string(c.host).substr(0, std::string(c.host).rfind('/') + 1) + "~EDIT.TMP"));
    EXPECT_EQ(logged(), std::string("File Edit: ") + c.path + "\r\nBackup Copy: " + c.backup + "\r\n");
  }
}

TEST_F(EditedFileTest, WithoutBackupOrLogOnlyTheRenameHappens) {
  load("log text=\"\"\n");
  machine().makeFile("CONFIG.SYS", "old");
  machine().makeFile("~E.TMP", "new");
  EXPECT_TRUE(merl::BackupEditedFile("C:\\CONFIG.SYS", "C:\\~E.TMP", true));
  EXPECT_EQ(file("CONFIG.SYS"), "new");
  EXPECT_FALSE(exists("CONFIG.001"));
  EXPECT_EQ(logged(), "");
  merl::CloseLog();
  machine().makeFile("~E.TMP", "newer");
  EXPECT_TRUE(merl::BackupEditedFile("C:\\CONFIG.SYS", "C:\\~E.TMP", false));
  EXPECT_EQ(file("CONFIG.001"), "new");
}

TEST_F(EditedFileTest, AFailedReplaceKeepsTheOldBytesAndReportsFailure) {
  for (const char* failure : {"busy = C:\\CONFIG.SYS\n", "create = C:\\CONFIG.001\n"}) {
    SCOPED_TRACE(failure);
    useScriptMachine(std::string("[failures]\n") + failure);
    load("log text=\"\"\n");
    machine().makeFile("CONFIG.SYS", "old");
    machine().makeFile("~E.TMP", "new");
    EXPECT_FALSE(merl::BackupEditedFile("C:\\CONFIG.SYS", "C:\\~E.TMP", false));
    EXPECT_EQ(file("CONFIG.SYS"), "old");
    EXPECT_FALSE(exists("~E.TMP"));
    EXPECT_FALSE(exists("CONFIG.001"));
    EXPECT_EQ(logged(), "");
  }
}

}  // namespace
