// The DLGTEMPLATE parser (every read checked against the end, so a cut template
// or a control count past the end is refused) and the template builder.
#include "win/dialog_template.h"

#include <cstring>

#include "win/dialog.h"

namespace win {

namespace {

constexpr WORD kOrdinalMark = 0xFFFF;
constexpr std::size_t kMinItemBytes = sizeof(DLGITEMTEMPLATE) + 3 * sizeof(WORD);

class TemplateReader {
 public:
  TemplateReader(std::string_view bytes, std::string* error) : bytes_(bytes), error_(error) {}

  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return bytes_.size() - pos_; }

  bool fail(const std::string& what) {
    if (error_) *error_ = "dialog template: " + what;
    return false;
  }

  bool take(void* out, std::size_t n, const std::string& what) {
    if (remaining() < n) return fail(what + " runs past the end (byte " + std::to_string(bytes_.size()) + ")");
    std::memcpy(out, bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }

  bool word(WORD* out, const std::string& what) { return take(out, sizeof(WORD), what); }

  bool align(std::size_t unit, const std::string& what) {
    std::size_t aligned = (pos_ + unit - 1) / unit * unit;
    if (aligned > bytes_.size()) return fail(what + " runs past the end (byte " + std::to_string(bytes_.size()) + ")");
    pos_ = aligned;
    return true;
  }

  bool bytes(std::string* out, std::size_t n, const std::string& what) {
    if (remaining() < n) return fail(what + " runs past the end (byte " + std::to_string(bytes_.size()) + ")");
    out->assign(bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }

  // A NUL-terminated UTF-16 text, code units up to 0xFF kept as bytes.
  bool text(std::string* out, const std::string& what, WORD first = 0, bool haveFirst = false) {
    out->clear();
    WORD unit = first;
    if (!haveFirst && !word(&unit, what)) return false;
    while (unit != 0) {
      out->push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
      if (!word(&unit, what)) return fail(what + " is not terminated");
    }
    return true;
  }

  // A menu, class or title field: 0 (none), 0xFFFF and a number, or a text.
  bool name(TemplateName* out, const std::string& what) {
    WORD first;
    if (!word(&first, what)) return false;
    *out = TemplateName{};
    if (first == 0) return true;
    if (first == kOrdinalMark) {
      out->isOrdinal = true;
      return word(&out->ordinal, what);
    }
    return text(&out->text, what, first, true);
  }

 private:
  std::string_view bytes_;
  std::string* error_;
  std::size_t pos_ = 0;
};

bool readItem(TemplateReader& r, int index, DialogItemTemplate* item) {
  std::string at = "control " + std::to_string(index + 1);
  DLGITEMTEMPLATE head;
  if (!r.align(4, at) || !r.take(&head, sizeof head, at)) return false;
  item->style = head.style;
  item->exStyle = head.dwExtendedStyle;
  item->x = head.x;
  item->y = head.y;
  item->cx = head.cx;
  item->cy = head.cy;
  item->id = head.id;
  if (!r.name(&item->windowClass, at + "'s class") || !r.name(&item->title, at + "'s text")) return false;
  if (item->windowClass.empty()) return r.fail(at + " has no class");
  WORD size;
  if (!r.word(&size, at + "'s creation data")) return false;
  if (size == 1) return r.fail(at + "'s creation data size is 1");
  return size == 0 || r.bytes(&item->creationData, size - sizeof(WORD), at + "'s creation data");
}

void putWord(std::string& out, WORD w) {
  out.push_back(static_cast<char>(w & 0xFF));
  out.push_back(static_cast<char>(w >> 8));
}

void putText(std::string& out, std::string_view text) {
  for (char c : text) putWord(out, static_cast<BYTE>(c));
  putWord(out, 0);
}

void putName(std::string& out, const TemplateName& name) {
  if (name.isOrdinal) {
    putWord(out, kOrdinalMark);
    putWord(out, name.ordinal);
  } else if (name.text.empty()) {
    putWord(out, 0);
  } else {
    putText(out, name.text);
  }
}

template <typename T>
void putRecord(std::string& out, const T& record) {
  out.append(reinterpret_cast<const char*>(&record), sizeof record);
}

}  // namespace

std::optional<DialogTemplate> parseDialogTemplate(std::string_view bytes, std::string* error) {
  TemplateReader r(bytes, error);
  WORD version[2];
  if (bytes.size() >= sizeof version) {
    std::memcpy(version, bytes.data(), sizeof version);
    if (version[0] == 1 && version[1] == kOrdinalMark) {
      r.fail("the extended form (DLGTEMPLATEEX) is not supported");
      return std::nullopt;
    }
  }
  DLGTEMPLATE head;
  if (!r.take(&head, sizeof head, "the header")) return std::nullopt;
  DialogTemplate t;
  t.style = head.style;
  t.exStyle = head.dwExtendedStyle;
  t.x = head.x;
  t.y = head.y;
  t.cx = head.cx;
  t.cy = head.cy;
  if (!r.name(&t.menu, "the menu") || !r.name(&t.windowClass, "the class") || !r.text(&t.title, "the caption"))
    return std::nullopt;
  if (t.style & DS_SETFONT) {
    t.hasFont = true;
    if (!r.word(&t.pointSize, "the font size") || !r.text(&t.faceName, "the font name")) return std::nullopt;
  }
  if (static_cast<std::size_t>(head.cdit) * kMinItemBytes > r.remaining()) {
    r.fail(std::to_string(head.cdit) + " controls cannot fit in the " + std::to_string(r.remaining()) +
           " bytes after the header");
    return std::nullopt;
  }
  t.items.resize(head.cdit);
  for (int i = 0; i < head.cdit; ++i)
    if (!readItem(r, i, &t.items[static_cast<std::size_t>(i)])) return std::nullopt;
  t.size = r.position();
  return t;
}

std::string_view classNameOfOrdinal(WORD ordinal) {
  switch (ordinal) {
    case kButtonClassOrdinal:
      return "Button";
    case kEditClassOrdinal:
      return "Edit";
    case kStaticClassOrdinal:
      return "Static";
    case kListBoxClassOrdinal:
      return "ListBox";
    case kScrollBarClassOrdinal:
      return "ScrollBar";
    case kComboBoxClassOrdinal:
      return "ComboBox";
    default:
      return {};
  }
}

DialogTemplateBuilder::DialogTemplateBuilder(DWORD style, SHORT x, SHORT y, SHORT cx, SHORT cy) {
  t_.style = style;
  t_.x = x;
  t_.y = y;
  t_.cx = cx;
  t_.cy = cy;
}

DialogTemplateBuilder& DialogTemplateBuilder::exStyle(DWORD exStyle) {
  t_.exStyle = exStyle;
  return *this;
}

DialogTemplateBuilder& DialogTemplateBuilder::caption(std::string_view text) {
  t_.title = std::string(text);
  return *this;
}

DialogTemplateBuilder& DialogTemplateBuilder::font(WORD pointSize, std::string_view face) {
  t_.style |= DS_SETFONT;
  t_.hasFont = true;
  t_.pointSize = pointSize;
  t_.faceName = std::string(face);
  return *this;
}

DialogTemplateBuilder& DialogTemplateBuilder::windowClass(std::string_view name) {
  t_.windowClass = TemplateName{std::string(name), 0, false};
  return *this;
}

DialogTemplateBuilder& DialogTemplateBuilder::control(WORD classOrdinal, std::string_view text, WORD id, DWORD style,
                                                      SHORT x, SHORT y, SHORT cx, SHORT cy, DWORD exStyle) {
  DialogItemTemplate item;
  item.style = style;
  item.exStyle = exStyle;
  item.x = x;
  item.y = y;
  item.cx = cx;
  item.cy = cy;
  item.id = id;
  item.windowClass = TemplateName{"", classOrdinal, true};
  item.title = TemplateName{std::string(text), 0, false};
  t_.items.push_back(std::move(item));
  return *this;
}

DialogTemplateBuilder& DialogTemplateBuilder::control(std::string_view className, std::string_view text, WORD id,
                                                      DWORD style, SHORT x, SHORT y, SHORT cx, SHORT cy,
                                                      DWORD exStyle) {
  control(WORD{0}, text, id, style, x, y, cx, cy, exStyle);
  t_.items.back().windowClass = TemplateName{std::string(className), 0, false};
  return *this;
}

std::string DialogTemplateBuilder::bytes() const {
  std::string out;
  DWORD style = t_.hasFont ? (t_.style | DS_SETFONT) : (t_.style & ~DS_SETFONT);
  putRecord(out, DLGTEMPLATE{style, t_.exStyle, static_cast<WORD>(t_.items.size()), t_.x, t_.y, t_.cx, t_.cy});
  putName(out, t_.menu);
  putName(out, t_.windowClass);
  putText(out, t_.title);
  if (t_.hasFont) {
    putWord(out, t_.pointSize);
    putText(out, t_.faceName);
  }
  for (const auto& item : t_.items) {
    while (out.size() % 4) out.push_back(0);
    putRecord(out, DLGITEMTEMPLATE{item.style, item.exStyle, item.x, item.y, item.cx, item.cy, item.id});
    putName(out, item.windowClass);
    putName(out, item.title);
    putWord(out, 0);
  }
  return out;
}

}  // namespace win
