// Fixture of the copy progress, graphics, transfer and install-file tests: a
// loaded one-record script with its message table, a main window of the given
// screen size, the doubles' config and log, and the doubles copied onto C:.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "json_reader.h"
#include "script_run.h"
#include "win/library.h"
#include "win/window.h"

namespace merl_testing {

class CopyFixture : public ScriptRunTest {
 protected:
  // A fresh machine, script and main window; config is the doubles' config.
  void begin(const std::string& config = "", const std::string& extraIni = "") {
    useScriptMachine("[doubles]\nconfig = $STATE/doubles.ini\nlog = $STATE/doubles.log\n" + extraIni);
    machine().writeText(machine().stateDir() + "/doubles.ini", config);
    load("log text=\"x\"\n");
    win::WNDCLASSA wc{};
    wc.lpfnWndProc = win::DefWindowProc;
    wc.hInstance = win::GetModuleHandle(nullptr);
    wc.lpszClassName = "CopyTestMain";
    win::RegisterClass(&wc);
    setup_.mainWindow = win::CreateWindowEx(0, "CopyTestMain", "Setup", win::WS_POPUP | win::WS_VISIBLE, 0, 0, 800,
                                            600, nullptr, nullptr, wc.hInstance, nullptr);
    setup_.screenWidth = 800;
    setup_.screenHeight = 600;
    merl::FillActionBlocks();  // the blocks get the main window
  }
  // Copies a built double to C:\APP\<name>; its Windows path.
  std::string placeDouble(const char* hostFile, const std::string& name) {
    std::filesystem::create_directories(machine().hostC("APP"));
    std::filesystem::copy_file(hostFile, machine().hostC("APP/" + name),
                               std::filesystem::copy_options::overwrite_existing);
    return "C:\\APP\\" + name;
  }
  // The doubles' log lines of one double's call.
  std::vector<merl_kit::JsonValue> calls(const std::string& name, const std::string& call) {
    std::vector<merl_kit::JsonValue> out;
    for (merl_kit::JsonValue& l : merl_kit::parseJsonLines(doublesLog()))
      if (l["double"].text() == name && l["call"].text() == call) out.push_back(l);
    return out;
  }
  // The transcript's invalidations of window as "l,t,r,b" ("all" without a rectangle).
  std::vector<std::string> invalidations(win::HWND window) {
    std::vector<std::string> out;
    for (const merl_kit::JsonValue& e : events("invalidate")) {
      if (e["hwnd"].integer() != static_cast<long long>(win::handleValue(window))) continue;
      const merl_kit::JsonValue& r = e["rect"];
      out.push_back(r.isNull() ? "all" : std::to_string(r[0].integer()) + "," + std::to_string(r[1].integer()) + "," +
                                             std::to_string(r[2].integer()) + "," + std::to_string(r[3].integer()));
      if (e["erase"].boolean()) out.back() += " erase";
    }
    return out;
  }
};

}  // namespace merl_testing
