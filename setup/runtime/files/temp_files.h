// Temporary files in the machine's temporary directory.
#pragma once

namespace merl {

// Creates a new empty temporary file with prefix ("QDB" for none) and puts its path into out
// (256 bytes). With no prefix the file is deleted again and out keeps only the temporary
// directory, without a final backslash. False (out empty) when no file could be made or its
// path does not fit.
bool MakeTempFile(char* out, const char* prefix = nullptr);

}  // namespace merl
