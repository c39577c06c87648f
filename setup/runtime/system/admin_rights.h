// The administrator test: true off Windows NT, else the answer of the outside
// library named by the variable W32INST_PATH_ in the temporary directory.
#pragma once

namespace merl {

// "%TEMP%\%W32INST_PATH_%" expanded and loaded; its "IsAdmin" (no arguments) answers.
// False on NT when the library does not load or has no such export.
bool CheckAdminRights();

}  // namespace merl
