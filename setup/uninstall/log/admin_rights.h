// Whether the service control manager opens with read, write and execute
// access: the administrator test of the log reader.
#pragma once

namespace remvex {

bool ServiceManagerOpens();

}  // namespace remvex
