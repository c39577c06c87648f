// Runs assembled scripts through RunScript in a fresh machine and run: the image with
// its end mark, a setup record with a message table, the installation log open, and the
// machine's transcript and answers file for the message boxes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "assembler.h"
#include "entry/dll_main.h"
#include "interp/cursor.h"
#include "interp/run_script.h"
#include "json_reader.h"
#include "log/install_log.h"
#include "runtime_test.h"
#include "script/script_header.h"
#include "win/library.h"

namespace merl_testing {

inline constexpr char kScriptUiIni[] = "[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n";

class ScriptRunTest : public RuntimeTest {
 protected:
  ScriptRunTest() {
    // The runtime is linked in: the message box's resources are the test program's.
    DllMain(nullptr, win::DLL_PROCESS_ATTACH, nullptr);
    for (int k = 0; k < 45; ++k) messageTexts_.push_back("M" + std::to_string(k) + ": %s");
    messageTexts_[17] = "Aborted";
    useScriptMachine();
  }

  // A machine with a transcript, an empty answers file and the extra machine.ini text.
  void useScriptMachine(const std::string& extra = "") {
    scope_.reset();
    useMachine(kScriptUiIni + extra);
    answers("");
  }
  // The answers file's lines (message boxes are dialog 114).
  void answers(const std::string& text) { machine().writeText(machine().stateDir() + "/answers.txt", text); }

  // A machine with the action double at C:\APP\ACT.DLL, its config and the extra machine.ini text.
  void useActionDouble(const std::string& config, const std::string& extra = "") {
    useScriptMachine("[doubles]\nconfig = $STATE/doubles.ini\nlog = $STATE/doubles.log\n" + extra);
    machine().writeText(machine().stateDir() + "/doubles.ini", "[action]\n" + config);
    std::filesystem::create_directories(machine().hostC("APP"));
    std::filesystem::copy_file(MERL_ACTION_DOUBLE, machine().hostC("APP/ACT.DLL"));
  }
  std::string doublesLog() { return machine().readText(machine().stateDir() + "/doubles.log"); }

  // Assembles a one-language script of body, puts the cursor on its first record and opens
  // the log. The label "start" must not be used by body.
  void load(const std::string& body) {
    merl_asm::AssemblyResult r =
        merl_asm::assembleSource("header {\n  language { name=\"L0\" title=\"T\" }\n}\nstart: " + body, "t.mas", "");
    ASSERT_TRUE(r.ok) << r.error;
    image_.assign(r.assembly.image.begin(), r.assembly.image.end());
    image_.push_back('?');
    layout_ = r.assembly.layout;
    setup_ = merl::SetupRec{};
    setup_.installFile = win::INVALID_HANDLE_VALUE;
    scope_.reset();
    scope_ = std::make_unique<merl::RunScope>(&setup_);
    run_().scriptImage = image_.data();
    run_().scriptLength = static_cast<merl::DWORD>(image_.size() - 1);
    ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn);
    for (std::size_t k = 0; k < messageTexts_.size(); ++k) setMessage(static_cast<int>(k), messageTexts_[k]);
    merl::cursor().position = label("start");
    merl::LogSettings settings;
    settings.source = "C:\\SETUP.EXE";
    ASSERT_TRUE(merl::StartInstallLog(settings));
    logStart_ = tempLog().size();
  }

  // Calls RunScript while it asks to be called again (bounded); its last result.
  int runAll() {
    int r = 0;
    for (int calls = 0; calls < 10000 && r == 0; ++calls) r = merl::RunScript();
    return r;
  }

  // The whole temporary log as it stands.
  std::string wholeLog() { return tempLog(); }
  // What the records wrote to the log.
  std::string logged() { return tempLog().substr(std::min(logStart_, tempLog().size())); }
  // The transcript's events of kind.
  std::vector<merl_kit::JsonValue> events(const std::string& kind) {
    std::vector<merl_kit::JsonValue> out;
    for (merl_kit::JsonValue& line : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl")))
      if (line["ev"].text() == kind) out.push_back(line);
    return out;
  }
  // The message boxes shown as "title|text" (abort messages have the title "Aborted").
  std::vector<std::string> boxes() {
    std::vector<std::string> out;
    for (const merl_kit::JsonValue& d : events("dialog")) {
      std::string text;
      for (const merl_kit::JsonValue& c : d["controls"].items())
        if (c["id"].integer() == 1005) text = c["text"].text();
      out.push_back(d["title"].text() + "|" + text);
    }
    return out;
  }
  // The texts of the abort messages shown.
  std::vector<std::string> aborts() {
    std::vector<std::string> out;
    for (const std::string& b : boxes())
      if (b.rfind("Aborted|", 0) == 0) out.push_back(b.substr(8));
    return out;
  }

  merl::DWORD label(const std::string& name) const {
    for (const auto& l : layout_.labels)
      if (l.name == name) return l.offset;
    ADD_FAILURE() << "no label " << name;
    return 0;
  }
  merl::BYTE byteAt(const std::string& name, int i) const { return image_[label(name) + i]; }
  merl::Run& run_() { return scope_->run(); }
  // Message k of the loaded script's table.
  void setMessage(int k, const std::string& text) {
    merl::ScriptHeader& h = merl::scriptHeader();
    h.messageTexts[k] = text;
    h.messageTable[k] = h.messageTexts[k].c_str();
    if (k == 17) h.externalParams.message17 = h.messageTable[k];
    if (k == 44) h.externalParams.message44 = h.messageTable[k];
  }

  merl::SetupRec setup_{};

 private:
  std::string tempLog() {
    std::string path = merl::TempLogPath();
    if (path.empty()) return {};
    return machine().readText(machine().hostC("TEMP/" + path.substr(path.rfind('\\') + 1)));
  }

  std::vector<merl::BYTE> image_;
  merl_asm::Layout layout_;
  std::vector<std::string> messageTexts_;
  std::unique_ptr<merl::RunScope> scope_;
  std::size_t logStart_ = 0;
};

}  // namespace merl_testing
