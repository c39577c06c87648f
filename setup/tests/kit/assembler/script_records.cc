// Fixed part first (zeroed, then the given fields), then the strings in the
// form's order, the language group repeated once per language.
#include "script_records.h"

#include <map>

namespace merl_asm {

namespace {

constexpr std::string_view kDataFunctions[] = {"start", "end", "size"};

const FixedField* findFixedField(const RecordForm& form, std::string_view name) {
  for (const FixedField& f : form.fields)
    if (f.name == name) return &f;
  return nullptr;
}

const StringSlot* findStringSlot(const RecordForm& form, std::string_view name) {
  for (const StringSlot& s : form.strings)
    if (s.name == name) return &s;
  return nullptr;
}

// The value for language `lang` of a field that may differ per language: a
// list of one value per language, or one value for all of them.
const Value& languageItem(const Value& v, bool perLanguage, int languages, int lang, std::string_view name) {
  if (v.kind != Value::Kind::List) return v;
  if (!perLanguage) throw SourceError(v.pos, std::string(name) + " takes one value, not a list");
  if (static_cast<int>(v.items.size()) != languages)
    throw SourceError(v.pos, std::string(name) + " needs one value per language (" + std::to_string(languages) +
                                 "), got " + std::to_string(v.items.size()));
  return v.items[lang];
}

void checkDataCall(const Value& call, const FixedField& field) {
  bool known = false;
  for (std::string_view f : kDataFunctions) known = known || call.text == f;
  if (!known) throw SourceError(call.pos, "unknown function '" + call.text + "' (start, end or size of a data item)");
  if (field.type != FieldType::U32)
    throw SourceError(call.pos, std::string(field.name) + " is not a u32 field and cannot hold a data offset");
  if (call.items[0].kind != Value::Kind::Name) throw SourceError(call.items[0].pos, "data item name expected");
}

class RecordWriter {
 public:
  RecordWriter(const RecordForm& form, SourcePos at, int languages, std::size_t imageOffset)
      : form_(form), at_(at), languages_(languages), imageOffset_(imageOffset),
        bytes_(fixedPartSize(form.opcode, languages), 0) {
    bytes_[0] = static_cast<std::uint8_t>(form.opcode);
  }

  void take(const Field& field, std::vector<DataReference>& refs) {
    const Value& v = plainFieldValue(field);
    if (const FixedField* fixed = findFixedField(form_, field.name)) {
      writeFixed(*fixed, v, refs);
    } else if (findStringSlot(form_, field.name)) {
      strings_[field.name] = &v;
    } else {
      throw SourceError(field.pos, "record '" + std::string(form_.mnemonic) + "' has no field '" + field.name + "'");
    }
  }

  Bytes finish() {
    const auto& slots = form_.strings;
    for (std::size_t i = 0; i < slots.size();) {
      if (!slots[i].perLanguage) {
        appendString(bytes_, fieldText(given(slots[i]), slots[i].name));
        ++i;
        continue;
      }
      std::size_t groupEnd = i;
      while (groupEnd < slots.size() && slots[groupEnd].perLanguage) ++groupEnd;
      for (int lang = 0; lang < languages_; ++lang)
        for (std::size_t k = i; k < groupEnd; ++k)
          appendString(bytes_, fieldText(languageItem(given(slots[k]), true, languages_, lang, slots[k].name),
                                         slots[k].name));
      i = groupEnd;
    }
    return std::move(bytes_);
  }

 private:
  const Value& given(const StringSlot& slot) const {
    auto it = strings_.find(slot.name);
    if (it == strings_.end())
      throw SourceError(at_, "record '" + std::string(form_.mnemonic) + "' lacks its string '" + std::string(slot.name) + "'");
    return *it->second;
  }

  void writeFixed(const FixedField& field, const Value& v, std::vector<DataReference>& refs) {
    int copies = field.perLanguage ? languages_ : 1;
    for (int lang = 0; lang < copies; ++lang) {
      const Value& item = languageItem(v, field.perLanguage, languages_, lang, field.name);
      std::size_t offset = field.offset + kBitmapLanguageBytes * lang;
      if (item.kind == Value::Kind::Call) {
        checkDataCall(item, field);
        refs.push_back(DataReference{imageOffset_ + offset, item});
      } else {
        putLe(bytes_, offset, fieldNumber(item, field.type, field.name), fieldWidth(field.type));
      }
    }
  }

  const RecordForm& form_;
  SourcePos at_;
  int languages_;
  std::size_t imageOffset_;
  Bytes bytes_;
  std::map<std::string_view, const Value*> strings_;
};

}  // namespace

void emitRecord(const RecordForm& form, SourcePos at, const std::vector<Field>& fields, int languages,
                Bytes& image, std::vector<DataReference>& refs) {
  requireDistinctFields(fields);
  RecordWriter writer(form, at, languages, image.size());
  for (const Field& field : fields) writer.take(field, refs);
  Bytes record = writer.finish();
  image.insert(image.end(), record.begin(), record.end());
}

void emitRaw(const std::vector<Value>& items, Bytes& image) {
  for (const Value& item : items) {
    if (item.kind == Value::Kind::Number) {
      image.push_back(static_cast<std::uint8_t>(fieldNumber(item, FieldType::U8, "a raw byte")));
    } else if (item.kind == Value::Kind::String) {
      image.insert(image.end(), item.text.begin(), item.text.end());
    } else if (item.kind == Value::Kind::Call && item.text == "hex") {
      Bytes bytes = hexBytes(item.items[0]);
      image.insert(image.end(), bytes.begin(), bytes.end());
    } else {
      throw SourceError(item.pos, "raw takes numbers 0 to 255, strings and hex(\"...\")");
    }
  }
}

}  // namespace merl_asm
