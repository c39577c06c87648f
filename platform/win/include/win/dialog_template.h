// Dialog templates as bytes: the one bounds-checked parser of the standard
// DLGTEMPLATE form (with DS_SETFONT font data) for resources and memory, and a
// builder that writes real template bytes for our own resources and for tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace win {

// The predefined control classes as a template names them by ordinal.
inline constexpr WORD kButtonClassOrdinal = 0x0080;
inline constexpr WORD kEditClassOrdinal = 0x0081;
inline constexpr WORD kStaticClassOrdinal = 0x0082;
inline constexpr WORD kListBoxClassOrdinal = 0x0083;
inline constexpr WORD kScrollBarClassOrdinal = 0x0084;
inline constexpr WORD kComboBoxClassOrdinal = 0x0085;

// A name in a template: a text, or a number (the 0xFFFF form).
struct TemplateName {
  std::string text;
  WORD ordinal = 0;
  bool isOrdinal = false;

  bool empty() const { return !isOrdinal && text.empty(); }
};

struct DialogItemTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  SHORT x = 0, y = 0, cx = 0, cy = 0;
  WORD id = 0;
  TemplateName windowClass;  // ordinal 0x80-0x85 or a registered class name
  TemplateName title;        // text, or a resource number (an icon of a static)
  std::string creationData;  // the bytes after the size word
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  SHORT x = 0, y = 0, cx = 0, cy = 0;
  TemplateName menu;
  TemplateName windowClass;  // empty: the dialog class
  std::string title;
  bool hasFont = false;  // DS_SETFONT
  WORD pointSize = 0;
  std::string faceName;
  std::vector<DialogItemTemplate> items;
  std::size_t size = 0;  // bytes the template takes
};

// Parses a standard template; nullopt with *error saying what is wrong when a field runs past
// the end (cut bytes, item counts past the end), a text is unterminated, or the form is the
// extended one. Texts are UTF-16: code units up to 0xFF become the byte of that value, others '?'.
std::optional<DialogTemplate> parseDialogTemplate(std::string_view bytes, std::string* error);

// The name of a predefined class ordinal ("Button"); empty for an unknown one.
std::string_view classNameOfOrdinal(WORD ordinal);

// Writes DLGTEMPLATE bytes: header, no menu, the class, the caption, the font when given, then
// each control DWORD-aligned with its class ordinal or name, its text and no creation data.
// Styles are written exactly as given (controls usually want WS_CHILD | WS_VISIBLE).
class DialogTemplateBuilder {
 public:
  DialogTemplateBuilder(DWORD style, SHORT x, SHORT y, SHORT cx, SHORT cy);

  DialogTemplateBuilder& exStyle(DWORD exStyle);
  DialogTemplateBuilder& caption(std::string_view text);
  // Sets DS_SETFONT with the point size and face.
  DialogTemplateBuilder& font(WORD pointSize, std::string_view face);
  // A dialog of a registered class instead of the dialog class.
  DialogTemplateBuilder& windowClass(std::string_view name);
  // A control of a predefined class.
  DialogTemplateBuilder& control(WORD classOrdinal, std::string_view text, WORD id, DWORD style, SHORT x, SHORT y,
                                 SHORT cx, SHORT cy, DWORD exStyle = 0);
  // A control of a registered class.
  DialogTemplateBuilder& control(std::string_view className, std::string_view text, WORD id, DWORD style, SHORT x,
                                 SHORT y, SHORT cx, SHORT cy, DWORD exStyle = 0);

  // The template bytes (no padding after the last control).
  std::string bytes() const;

 private:
  DialogTemplate t_;
};

}  // namespace win
