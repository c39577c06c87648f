#include "string_table.h"

#include <map>

#include "constants.h"
#include "win/profile.h"

namespace remvex {

namespace {

const std::map<int, const char*>& table() {
  static const std::map<int, const char*> texts = {
      {1, "Installation Logs"},
      {2, "Plexa Installer Uninstall"},
      {4, "Invalid INSTALL.LOG file."},
      {6, "The following files should be deleted to remove the software from your system.  Press the Select All "
          "button to remove all of the listed files or select the files individually."},
      {7, "Welcome to the %s uninstall program.\n\nYou can choose to automatically uninstall this software or to "
          "choose exactly which changes will be made to your system."},
      {9, "The following files were copied to your Windows/System directories during the installation.  Use caution "
          "when removing these files.   They may be in use by other programs."},
      {10, "Select the Custom button to choose which modifications are to be made during the uninstall.  Select the "
           "Automatic button for the default uninstall options.  Press the Next button to continue."},
      {12, "The following directories were created during the installation. Selecting a directory will remove it and "
           "all files and directories that are contained within it."},
      {13, "You are now ready to uninstall the %s from your system."},
      {15, "The following INI files were created during the installation.  Select those INI files that you want to "
           "remove."},
      {18, "The following INI entries were changed during the installation.  Select those INI entries that you want "
           "to change back."},
      {21, "The following Registration Database Keys were created during the installation.  Select those keys that "
           "you want to remove."},
      {22, "Press the Finish button to perform the uninstall.  Press the Back button to change any of the uninstall "
           "options.  Press the Cancel button to exit the uninstall."},
      {24, "The following Registration Database Keys were changed during the installation.  Select those keys that "
           "you want to change back."},
      {25, "Uninstall"},
      {27, "The following icons were added to the Program Manager during the installation.  Select those icons that "
           "you want to remove."},
      {28, kMessage28},
      {29, "Removing File:\r\n"},
      {30, "Removing System File:\r\n"},
      {31, "Removing Directory:\r\n"},
      {32, "Removing Empty Directories:\r\n"},
      {33, kMessage33},
      {34, kMessage34},
      {35, kMessage35},
      {36, kMessage36},
      {37, kMessage37},
      {38, "The system indicates that the following shared file is no longer used by any programs and may be "
           "deleted.\n\n%s\n\nIf any programs are still using this file and it is removed those programs may not "
           "function. "},
      {39, "Leaving this file will not harm your system. If you are not sure what to do, you should select the No to "
           "All button. Do you want to remove the shared file?"},
      {40, "Self-Unregistering file:\r\n"},
      {41, "The following sub-systems were configured during the installation.  Select those sub-systems that you "
           "want to remove."},
      {44, "Removing Sub-System:\r\n"},
      {45, "Performing uninstall of the %s...\n\nPress the Cancel button to stop the uninstall process and exit this "
           "program."},
      {55, "The following registry trees were added during the installation. Select those registry keys that you "
           "want removed, including all of their sub-keys."},
      {56, kMessage56},
      {57, "Executing External Program:\r\n"},
      {58, "Deleting Service:\r\n"},
      {59, "Are you sure you want to cancel the uninstall?"},
      {62, "Remove Shared Component"},
      {65, "You selected to backup files that were replaced during the installation. Selecting a rollback will return "
           "your computer to the state it was before the last installation or upgrade of this software by restoring "
           "any backed up files."},
      {66, "You should only perform a rollback if no other applications have been installed after the installation "
           "for this software. Only the last installation or upgrade will be removed. Do you want to perform a "
           "rollback?"},
      {67, "This software was installed under an account with administrator rights. You should log on with an "
           "account with administrator rights to uninstall this software."},
      {68, "This uninstall must reboot your computer to replace files that were in use. Press the OK button to reboot "
           "your computer."},
      {71, "Times New Roman"},
      {74, " INSTALLATION"},
      {75, "0"},
      {76, "Could not open INSTALL.LOG file."},
      {79, "Application is already running - Terminating this instance"},
      {80, "Multiple Instance"},
      {8, "Select System Files to Remove"},
      {11, "Select Directories to Remove"},
      {14, "Select INI Files to Remove"},
      {16, "Select Uninstall Method"},
      {17, "Select INI Items to Edit"},
      {19, "Perform Uninstall"},
      {20, "Select Registry Keys to Remove"},
      {23, "Select Registry Keys to Edit"},
      {26, "Select Icons to Remove"},
      {42, "Select Sub-Systems to Remove"},
      {46, "&Next >"},
      {47, "< &Back"},
      {48, "Cancel"},
      {49, "Select &All"},
      {50, "&Select None"},
      {51, "&Yes"},
      {52, "&No"},
      {53, "No to &All"},
      {54, "Select Registry Trees to Remove"},
      {60, "&Automatic"},
      {61, "&Custom"},
      {63, "&Finish"},
      {64, "Perform Rollback"},
      {78, "Select Private Files to Remove"},
  };
  return texts;
}

}  // namespace

const char* StringTableText(int n) {
  auto it = table().find(n);
  return it == table().end() ? nullptr : it->second;
}

std::string LoadMessage(const std::string& iniPath, int n) {
  char value[kMessageSize] = {};
  const std::string key = "Msg" + std::to_string(n);
  win::GetPrivateProfileString("Language", key.c_str(), "\x7f", value, sizeof value, iniPath.c_str());
  const std::string found(value);
  if (found == "\x7f") {
    const char* text = StringTableText(n);
    return text ? std::string(text).substr(0, kMessageSize - 1) : std::string();
  }
  std::string out;
  for (char c : found) {
    if (c == '|') {
      if (out.size() + 2 > kMessageSize - 1) break;
      out += "\r\n";
    } else {
      if (out.size() + 1 > kMessageSize - 1) break;
      out += c;
    }
  }
  return out;
}

std::string FormatMessage1(const std::string& text, const std::string& value) {
  std::string out = text;
  auto at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, value);
  if (out.size() > kMessageSize - 1) out.resize(kMessageSize - 1);
  return out;
}

}  // namespace remvex
