// What the management server's fuzz targets share besides the scratch
// directory: one request served by a real Dispatcher over a socket pair.
#pragma once

#include <string>

namespace cvlm_fuzz {

// Serves one connection with a Dispatcher: sends wire as the console's
// bytes, closes the sending side and reads every answer until the server
// closes.
void serveConsoleBytes(const std::string& wire);

}  // namespace cvlm_fuzz
