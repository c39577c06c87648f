// CTL3D for the run's dialogs: loaded (a private copy installed into the system
// directory when the machine has none), registered with the setup program's
// instance at start and unregistered and freed at the end.
#pragma once

namespace merl {

void SetUpCtl3d();
void ReleaseCtl3d();

}  // namespace merl
