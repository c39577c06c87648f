# Writes OUTPUT: a C++ source that defines the bytes of INPUT as
# remvex::kRestartProgramBytes and their count as remvex::kRestartProgramSize
# (cmake -DINPUT=... -DOUTPUT=... -P); start/resource_table.cc lists them.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated at build time from the restart program; do not edit.\n"
  "namespace remvex {\n\n"
  "extern const unsigned char kRestartProgramBytes[] = {\n${bytes}};\n"
  "extern const unsigned kRestartProgramSize = sizeof kRestartProgramBytes;\n\n"
  "}  // namespace remvex\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
