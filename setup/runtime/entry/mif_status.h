// The installer status report through ismif32.dll's "InstallStatusMIF".
#pragma once

namespace merl {

// Reports the header's MIF name (expanded; a ".mif" ending dropped), manufacturer, product,
// version and serial number with status 1. Nothing happens without the library, its
// function or a MIF name.
void WriteMifStatus();

}  // namespace merl
