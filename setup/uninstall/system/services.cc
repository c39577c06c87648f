#include "system/services.h"

#include "win/services.h"

namespace remvex {

void DeleteNtService(const std::string& name) {
  win::SC_HANDLE manager = win::OpenSCManager(nullptr, nullptr, win::SC_MANAGER_CONNECT);
  if (!manager) return;
  win::SC_HANDLE service = win::OpenService(manager, name.c_str(), win::DELETE | win::SERVICE_STOP);
  if (service) {
    win::SERVICE_STATUS status{};
    win::ControlService(service, win::SERVICE_CONTROL_STOP, &status);
    win::DeleteService(service);
    win::CloseServiceHandle(service);
  }
  win::CloseServiceHandle(manager);
}

}  // namespace remvex
