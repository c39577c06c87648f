// The bytes of the wizard's resources: dialog 106 (the wizard), dialog 104
// (the shared-file question), bitmap 105 and icon 101.
#pragma once

#include <string>

namespace remvex {

std::string WizardDialogTemplate();
std::string SharedDialogTemplate();
// 122 x 262 pixels, 16 colours: a DIB (header, colours, bits).
std::string WizardBitmapBytes();
// Icon 101: its group directory (RT_GROUP_ICON) and its one image (RT_ICON 1).
std::string IconGroupBytes();
std::string IconImageBytes();

}  // namespace remvex
