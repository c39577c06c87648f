// Script records by mnemonic or opcode number, and raw bytes for images
// that no record form can make.
#pragma once

#include <vector>

#include "field_values.h"

namespace merl_asm {

// A u32 field that names a data item ("start(a)", "end(a)", "size(a)"); it
// is filled once the installation file is laid out.
struct DataReference {
  std::size_t offset;  // in the image
  Value call;
};

// Appends one record of the given form; numbers not given are 0, strings
// must all be given.
void emitRecord(const RecordForm& form, SourcePos at, const std::vector<Field>& fields, int languages,
                Bytes& image, std::vector<DataReference>& refs);

// Appends raw bytes: numbers 0 to 255, strings (no NUL added), hex("...").
void emitRaw(const std::vector<Value>& items, Bytes& image);

}  // namespace merl_asm
