// Contents from named files, hex digits or text, laid out one after another.
#include "install_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/files.h"
#include "platform/paths.h"

namespace merl_asm {

namespace {

std::string resolvePath(const std::string& path, const std::string& baseDir) {
  if (path.empty() || path[0] == '/' || baseDir.empty()) return path;
  return platform::joinPath(baseDir, path);
}

Bytes namedFileBytes(const Value& name, const std::string& baseDir) {
  std::string path = resolvePath(fieldText(name, "file"), baseDir);
  std::error_code ec;
  std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) throw SourceError(name.pos, "cannot read '" + path + "': " + ec.message());
  if (size > kMaxNamedFileBytes) throw SourceError(name.pos, "'" + path + "' is larger than 64 MiB");
  std::string text;
  if (!platform::readWholeFile(path, text))
    throw SourceError(name.pos, "cannot read '" + path + "': " + std::strerror(errno));
  return Bytes(text.begin(), text.end());
}

// The bytes a content field stands for: file("path"), hex("..") or text(".."),
// whose escapes may hold any byte. Further content forms belong here.
Bytes contentOf(const Field& field, const std::string& baseDir) {
  const Value& v = *field.value;
  if (v.kind == Value::Kind::Call) {
    const Value& arg = v.items[0];
    if (v.text == "file") return namedFileBytes(arg, baseDir);
    if (v.text == "hex") return hexBytes(arg);
    if (v.text == "text") {
      if (arg.kind != Value::Kind::String) throw SourceError(arg.pos, "text takes a string");
      return Bytes(arg.text.begin(), arg.text.end());
    }
  }
  throw SourceError(v.pos, field.name + " takes file(\"path\"), hex(\"..\") or text(\"..\")");
}

int supportNumber(const Field& field) {
  if (!field.qualifier || field.qualifier->kind != Value::Kind::Number)
    throw SourceError(field.pos, "support takes its number: support 4 = ...");
  std::int64_t n = field.qualifier->number;
  if (n < kFirstSupportFile || n > kLastSupportFile)
    throw SourceError(field.qualifier->pos, "support file numbers run from 3 to 10");
  return static_cast<int>(n);
}

std::string dataName(const Field& field) {
  if (!field.qualifier || field.qualifier->kind != Value::Kind::Name)
    throw SourceError(field.pos, "data takes a name: data readme = ...");
  return field.qualifier->text;
}

// Appends part to the file; the whole file must stay addressable by u32 offsets.
std::uint32_t appendPart(InstallFile& file, const Bytes& part, SourcePos at) {
  if (file.bytes.size() + part.size() > 0xFFFFFFFFull) throw SourceError(at, "the installation file passes 4 GiB");
  file.bytes.insert(file.bytes.end(), part.begin(), part.end());
  return static_cast<std::uint32_t>(part.size());
}

}  // namespace

const DataItem* InstallFile::find(std::string_view name) const {
  for (const DataItem& item : data)
    if (item.name == name) return &item;
  return nullptr;
}

InstallFile buildInstallFile(const std::vector<Field>& fields, const std::string& baseDir) {
  requireDistinctFields(fields);
  const Field* supports[kLastSupportFile + 1] = {};
  const Field* dialogBlock = nullptr;
  const Field* dialogBlockSize = nullptr;
  std::vector<const Field*> dataFields;
  InstallFile file;
  for (const Field& field : fields) {
    if (field.name == "data_offset") {
      file.dataOffset = fieldNumber(plainFieldValue(field), FieldType::U32, field.name);
      if (file.dataOffset > kMaxNamedFileBytes) throw SourceError(field.value->pos, "data_offset is larger than 64 MiB");
    } else if (field.name == "support") {
      supports[supportNumber(field)] = &field;
    } else if (field.name == "dialog_block") {
      plainFieldValue(field);
      dialogBlock = &field;
    } else if (field.name == "dialog_block_size") {
      plainFieldValue(field);
      dialogBlockSize = &field;
    } else if (field.name == "data") {
      dataName(field);
      dataFields.push_back(&field);
    } else {
      throw SourceError(field.pos, "unknown install_file field '" + field.name + "'");
    }
  }
  file.bytes.assign(file.dataOffset, 0);
  for (int n = kFirstSupportFile; n <= kLastSupportFile; ++n)
    if (supports[n]) file.supportSizes[n - kFirstSupportFile] = appendPart(file, contentOf(*supports[n], baseDir), supports[n]->pos);
  if (dialogBlock) file.dialogBlockStoredSize = appendPart(file, contentOf(*dialogBlock, baseDir), dialogBlock->pos);
  file.dialogBlockSize = dialogBlockSize
                             ? fieldNumber(*dialogBlockSize->value, FieldType::U32, dialogBlockSize->name)
                             : file.dialogBlockStoredSize;
  file.dataBase = static_cast<std::uint32_t>(file.bytes.size());
  for (const Field* field : dataFields) {
    DataItem item{dataName(*field), static_cast<std::uint32_t>(file.bytes.size()) - file.dataBase, 0};
    item.end = item.start + appendPart(file, contentOf(*field, baseDir), field->pos);
    file.data.push_back(item);
  }
  return file;
}

}  // namespace merl_asm
