// State files of the machine shared by its processes: read and rewritten
// whole (temporary file, then rename) under the bounded flock of
// "<file>.lock", or appended one line per write.
#pragma once

#include <functional>
#include <string>

namespace win {

// Runs update on the file's text (empty when missing) under an exclusive lock and writes the
// text back whole when update returns true. False when the file cannot be read or written.
bool updateStateFile(const std::string& path, const std::function<bool(std::string& text)>& update);
// Reads the file under a shared lock (a missing file reads empty).
bool readStateFile(const std::string& path, std::string& text);
// Appends one line (its line end included) with a single write.
bool appendStateLine(const std::string& path, const std::string& line);

}  // namespace win
