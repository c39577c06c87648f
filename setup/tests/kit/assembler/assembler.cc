// The statement loop: header, records, raw bytes, labels and the
// installation file in source order, then the references that need the
// whole text (data offsets, section labels, the cut).
#include "assembler.h"

#include <optional>

#include "script_header.h"
#include "script_records.h"

namespace merl_asm {

namespace {

struct LabelDefinition {
  CodeLabel label;
  SourcePos pos;
};

class ScriptAssembler {
 public:
  ScriptAssembler(std::string_view source, const std::string& baseDir) : in_(tokenize(source)), baseDir_(baseDir) {}

  Assembly run() {
    for (;;) {
      in_.skipLineEnds();
      if (in_.peek().kind == TokenKind::End) break;
      statement();
    }
    return finish();
  }

 private:
  void statement() {
    const Token& head = in_.expectName("a statement");
    if (in_.isPunct(':')) {
      in_.next();
      defineLabel(head);
      return;  // a statement may follow on the same line
    }
    const std::string& word = head.text;
    if (word == "header") header(head);
    else if (word == "install_file") installFile(head);
    else if (word == "on_exit") sectionTarget(head, onExit_);
    else if (word == "on_cancel") sectionTarget(head, onCancel_);
    else if (word == "raw") raw();
    else if (word == "truncate") truncate();
    else if (word == "op") recordByNumber(head);
    else recordByMnemonic(head);
    in_.expectStatementEnd();
  }

  std::vector<Field> block(std::string_view what) {
    if (!in_.isPunct('{')) throw SourceError(in_.peek().pos, std::string(what) + " takes a block '{ ... }'");
    return parseFields(in_);
  }

  void header(const Token& head) {
    if (languages_ > 0) throw SourceError(head.pos, "a second header");
    if (!image_.empty()) throw SourceError(head.pos, "the header must come before records and raw bytes");
    languages_ = emitScriptHeader(block("header"), head.pos, image_);
  }

  void installFile(const Token& head) {
    if (installFile_) throw SourceError(head.pos, "a second install_file");
    installFile_ = buildInstallFile(block("install_file"), baseDir_);
  }

  void sectionTarget(const Token& head, std::optional<Value>& target) {
    if (target) throw SourceError(head.pos, "a second " + head.text);
    in_.expectPunct('=');
    target = parseValue(in_);
    if (target->kind != Value::Kind::Name && target->kind != Value::Kind::Number)
      throw SourceError(target->pos, "a label name or an image offset expected");
  }

  void raw() {
    std::vector<Value> items;
    while (!in_.atStatementEnd()) items.push_back(parseValue(in_));
    emitRaw(items, image_);
  }

  void truncate() {
    const Token& n = in_.expectNumber("the image length to keep");
    if (cut_) throw SourceError(n.pos, "a second truncate");
    if (n.number < 0) throw SourceError(n.pos, "truncate takes a length of 0 or more");
    cut_ = Value{Value::Kind::Number, n.pos, n.number, "", {}};
  }

  void recordByNumber(const Token& head) {
    const Token& n = in_.expectNumber("an opcode");
    const RecordForm* form = recordFormFor(static_cast<int>(n.number));
    if (!form) throw SourceError(n.pos, "opcode " + std::to_string(n.number) + " has no record form (write it with raw)");
    record(*form, head.pos);
  }

  void recordByMnemonic(const Token& head) {
    const RecordForm* form = findRecordForm(head.text);
    if (!form) throw SourceError(head.pos, "unknown mnemonic '" + head.text + "'");
    record(*form, head.pos);
  }

  void record(const RecordForm& form, SourcePos at) {
    if (languages_ == 0) throw SourceError(at, "records need the header first (it gives the language count)");
    emitRecord(form, at, parseFields(in_), languages_, image_, refs_);
  }

  void defineLabel(const Token& name) {
    for (const LabelDefinition& d : labels_)
      if (d.label.name == name.text) throw SourceError(name.pos, "label '" + name.text + "' defined twice");
    labels_.push_back({{name.text, static_cast<std::uint32_t>(image_.size())}, name.pos});
  }

  std::uint32_t dataValue(const Value& call) const {
    const Value& name = call.items[0];
    const DataItem* item = installFile_ ? installFile_->find(name.text) : nullptr;
    if (!item) throw SourceError(name.pos, "unknown data item '" + name.text + "'");
    if (call.text == "start") return item->start;
    if (call.text == "end") return item->end;
    return item->end - item->start;
  }

  std::uint32_t sectionOffset(const std::optional<Value>& target) const {
    if (!target) return 0;
    if (target->kind == Value::Kind::Number) return fieldNumber(*target, FieldType::U32, "a section offset");
    for (const LabelDefinition& d : labels_)
      if (d.label.name == target->text) return d.label.offset;
    throw SourceError(target->pos, "unknown label '" + target->text + "'");
  }

  Assembly finish() {
    Assembly out;
    for (const DataReference& ref : refs_) putLe(image_, ref.offset, dataValue(ref.call), 4);
    if (cut_) {
      if (static_cast<std::uint64_t>(cut_->number) > image_.size())
        throw SourceError(cut_->pos, "truncate " + std::to_string(cut_->number) + " is longer than the image (" +
                                         std::to_string(image_.size()) + " bytes)");
      image_.resize(static_cast<std::size_t>(cut_->number));
    }
    if (image_.size() > 0xFFFFFFFFull) throw SourceError(in_.peek().pos, "the image passes 4 GiB");
    Layout& layout = out.layout;
    layout.scriptLength = static_cast<std::uint32_t>(image_.size());
    layout.languageCount = languages_;
    layout.onExit = sectionOffset(onExit_);
    layout.onCancel = sectionOffset(onCancel_);
    for (const LabelDefinition& d : labels_) layout.labels.push_back(d.label);
    if (installFile_) {
      layout.supportSizes = installFile_->supportSizes;
      layout.dialogBlockStoredSize = installFile_->dialogBlockStoredSize;
      layout.dialogBlockSize = installFile_->dialogBlockSize;
      layout.dataOffset = installFile_->dataOffset;
      layout.dataBase = installFile_->dataBase;
      layout.data = installFile_->data;
      out.installFile = std::move(installFile_->bytes);
    }
    out.image = std::move(image_);
    return out;
  }

  TokenStream in_;
  std::string baseDir_;
  Bytes image_;
  int languages_ = 0;
  std::vector<DataReference> refs_;
  std::optional<InstallFile> installFile_;
  std::vector<LabelDefinition> labels_;
  std::optional<Value> onExit_, onCancel_, cut_;
};

}  // namespace

AssemblyResult assembleSource(std::string_view source, const std::string& sourceName, const std::string& baseDir) {
  AssemblyResult result;
  try {
    result.assembly = ScriptAssembler(source, baseDir).run();
    result.ok = true;
  } catch (const SourceError& e) {
    result.errorPos = e.pos();
    result.errorText = e.text();
    result.error = sourceName + ":" + std::to_string(e.pos().line) + ":" + std::to_string(e.pos().column) + ": " + e.text();
  }
  return result;
}

}  // namespace merl_asm
