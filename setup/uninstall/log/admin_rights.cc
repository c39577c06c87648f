#include "log/admin_rights.h"

#include "win/services.h"

namespace remvex {

bool ServiceManagerOpens() {
  win::SC_HANDLE manager =
      win::OpenSCManager(nullptr, nullptr, win::GENERIC_READ | win::GENERIC_WRITE | win::GENERIC_EXECUTE);
  if (!manager) return false;
  win::CloseServiceHandle(manager);
  return true;
}

}  // namespace remvex
