// The ODBC records against the two installer library doubles: the calls, their
// buffers and request codes, answers cut to a value slot, test state and a
// missing library.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "script/variables.h"
#include "script_run.h"

namespace {

namespace fs = std::filesystem;
using merl_testing::ScriptRunTest;

// Bytes as the doubles log them: lower-case hex pairs separated by blanks.
std::string hex(const std::string& bytes) {
  std::string out;
  char pair[4];
  for (unsigned char c : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", c);
    out += (out.empty() ? "" : " ") + std::string(pair);
  }
  return out;
}

class OdbcRecordsTest : public ScriptRunTest {
 protected:
  // A machine with the doubles in the system directory (those named) and their config.
  void useOdbc(const std::string& config, bool odbcinst = true, bool odbccp32 = true) {
    useScriptMachine("[doubles]\nconfig = $STATE/doubles.ini\nlog = $STATE/doubles.log\n");
    machine().writeText(machine().stateDir() + "/doubles.ini", config);
    fs::create_directories(machine().hostC("WINDOWS/SYSTEM"));
    if (odbcinst) fs::copy_file(MERL_ODBCINST_DOUBLE, machine().hostC("WINDOWS/SYSTEM/ODBCINST.DLL"));
    if (odbccp32) fs::copy_file(MERL_ODBCCP32_DOUBLE, machine().hostC("WINDOWS/SYSTEM/ODBCCP32.DLL"));
  }
  void loadWithSys(const std::string& body) {
    load(body);
    merl::SetVar("SYS", "C:\\WINDOWS\\SYSTEM");
  }
  // The calls the doubles logged, as "double call field=value ...", loads left out.
  std::vector<std::string> calls(const std::vector<std::string>& fields) {
    std::vector<std::string> out;
    for (const merl_kit::JsonValue& line :
         merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/doubles.log"))) {
      if (line["call"].text() == "load") continue;
      std::string text = line["double"].text() + " " + line["call"].text();
      for (const std::string& f : fields)
        if (const merl_kit::JsonValue* v = line.find(f))
          text += " " + f + "=" + (v->isString() ? v->text() : v->isBool() ? (v->boolean() ? "1" : "0")
                                                                            : std::to_string(v->integer()));
      out.push_back(text);
    }
    return out;
  }
  std::string var(const char* name) {
    char value[merl::kValueSlotSize] = {};
    merl::GetVar(name, value, sizeof value);
    return value;
  }
};

TEST_F(OdbcRecordsTest, DriverRecordAsksBothDirectoriesIntoItsVariables) {
  useOdbc("[odbcinst]\nmanager_path = C:\\ODBC\ndriver_path = C:\\DRV\n");
  loadWithSys(
      "odbc_driver library=0 manager_variable=\"MGR\" driver_variable=\"DRV\" "
      "description=\"Drv\\x7fDriver=x.dll\"\n");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(calls({"path_max", "inf_given", "driver", "length_given"}),
            (std::vector<std::string>{
                "odbcinst SQLInstallDriverManager path_max=260 length_given=1",
                "odbcinst SQLInstallDriver path_max=260 inf_given=0 driver=" +
                    hex(std::string("Drv\0Driver=x.dll\0\0", 18)) + " length_given=1"}));
  EXPECT_EQ(var("MGR"), "C:\\ODBC");
  EXPECT_EQ(var("DRV"), "C:\\DRV");
}

TEST_F(OdbcRecordsTest, LongAnswerIsCutToOneValueSlotAndTheNextVariableStays) {
  useOdbc("[odbccp32]\nmanager_path = " + std::string(259, 'a') + "\n");
  loadWithSys("odbc_driver library=1 manager_variable=\"MGR\" driver_variable=\"DRV\" description=\"\"\n");
  merl::SetVar("MGR", "old");
  merl::SetVar("NEXT", "keep");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(var("MGR"), std::string(255, 'a'));
  EXPECT_EQ(var("NEXT"), "keep");
  EXPECT_EQ(calls({}), std::vector<std::string>{"odbccp32 SQLInstallDriverManager"});
}

TEST_F(OdbcRecordsTest, ResultVariableThatDoesNotFitTheStoreIsNotCreated) {
  useOdbc("[odbcinst]\nmanager_path = C:\\ODBC\n");
  loadWithSys("odbc_driver library=0 manager_variable=\"SIXTEEN_LETTERS_\" driver_variable=\"DRV\" "
              "description=\"\"\n");
  merl::WORD before = merl::variables().count;
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(merl::variables().count, before + 1);  // DRV only
  EXPECT_EQ(merl::variables().find("%SIXTEEN_LETTERS_%"), -1);
  EXPECT_EQ(calls({}), std::vector<std::string>{"odbcinst SQLInstallDriverManager"});
}

TEST_F(OdbcRecordsTest, TestStateGivesBothVariablesTheSystemDirectoryAndCallsNothing) {
  useOdbc("");
  loadWithSys(
      "odbc_driver library=0 manager_variable=\"MGR\" driver_variable=\"DRV\" description=\"D\"\n"
      "odbc_source flags=6 driver=\"D\" attributes=\"DSN=x\"\n");
  run_().runState = merl::kStateTest;
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(var("MGR"), "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(var("DRV"), "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(calls({}), std::vector<std::string>{});
}

TEST_F(OdbcRecordsTest, MissingLibraryDoesNothingAndShowsNothing) {
  useOdbc("", false, false);
  loadWithSys(
      "odbc_driver library=0 manager_variable=\"MGR\" driver_variable=\"DRV\" description=\"D\"\n"
      "odbc_source flags=2 driver=\"D\" attributes=\"DSN=x\"\n");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(var("MGR"), "");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(OdbcRecordsTest, DataSourceIsConfiguredWhenAddingFails) {
  struct Case {
    int flags;
    std::string config;
    std::vector<std::string> calls;
  };
  const std::string attributes = " driver=Drv attributes=" + hex(std::string("DSN=x\0DB=y\0\0", 12));
  const Case cases[] = {
      {0x06, "[odbccp32]\nconfig_results = 0\n",
       {"odbccp32 SQLConfigDataSource request=4" + attributes, "odbccp32 SQLConfigDataSource request=5" + attributes}},
      {0x04, "[odbcinst]\nconfig_results = 0\n",
       {"odbcinst SQLConfigDataSource request=1" + attributes, "odbcinst SQLConfigDataSource request=2" + attributes}},
      {0x02, "", {"odbccp32 SQLConfigDataSource request=1" + attributes}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    useOdbc(c.config);
    loadWithSys("odbc_source flags=" + std::to_string(c.flags) + " driver=\"Drv\" attributes=\"DSN=x\\x7fDB=y\"\n");
    EXPECT_EQ(runAll(), merl::kExit);
    EXPECT_EQ(calls({"request", "driver", "attributes"}), c.calls);
  }
}

}  // namespace
