// What the management server's fuzz targets share: a scratch working
// directory emptied before every input, and one request served by a real
// Dispatcher over a socket pair.
#pragma once

#include <string>

namespace cvlm_fuzz {

// Makes a scratch directory (removed at exit) with a working directory
// inside it, changes into it, points the platform state there and silences
// operator notices.
void enterScratchDirectory(const char* prefix);

// Removes everything in the working directory, so a run depends on its input
// alone and no lock file left by one input blocks the next.
void emptyWorkingDirectory();

// Serves one connection with a Dispatcher: sends wire as the console's
// bytes, closes the sending side and reads every answer until the server
// closes.
void serveConsoleBytes(const std::string& wire);

}  // namespace cvlm_fuzz
