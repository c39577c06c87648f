// The window class "QDTXWizard" of the wizard frame.
#pragma once

namespace merl {

inline constexpr char kWizardClassName[] = "QDTXWizard";

// Registers the class with this library's instance (button-face background, no icon,
// cursor or menu); a class already registered by an earlier run stays as it is.
void RegisterWizardClass();

}  // namespace merl
