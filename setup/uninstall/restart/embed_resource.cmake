# Writes OUTPUT: a C++ source whose resource table holds the bytes of INPUT as
# resource TYPE/ID (cmake -DINPUT=... -DOUTPUT=... -DTYPE=... -DID=... -P).
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated at build time from the restart program; do not edit.\n"
  "#include \"win/resource.h\"\n\n"
  "namespace {\n\n"
  "const unsigned char kBytes[] = {\n${bytes}};\n\n"
  "const win::ResourceEntry kEntries[] = {{${TYPE}, nullptr, ${ID}, nullptr, kBytes, sizeof kBytes}};\n\n"
  "}  // namespace\n\n"
  "IDS_WIN_RESOURCE_TABLE(kEntries);\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
