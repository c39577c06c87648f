// Deleting a service the installation created: stopped, then deleted.
#pragma once

#include <string>

namespace remvex {

// Stops and deletes the service; failures end it silently.
void DeleteNtService(const std::string& name);

}  // namespace remvex
