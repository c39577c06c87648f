// The fixed text metrics and DrawText's line layout.
#include "text_metrics.h"

#include <algorithm>

#include "win/gdi.h"
#include "win/ui_constants.h"

namespace win::detail {

namespace {

std::string withoutPrefixes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;  // "&x" shows x, "&&" shows one '&'
    out += text[i];
  }
  return out;
}

std::vector<std::string> paragraphs(std::string_view text) {
  std::vector<std::string> out(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out.emplace_back();
    } else {
      out.back() += text[i];
    }
  }
  return out;
}

void wrap(const FontMetrics& m, const std::string& paragraph, int maxWidth, bool expandTabs,
          std::vector<std::string>& lines) {
  std::string line;
  std::size_t i = 0;
  while (i < paragraph.size()) {
    std::size_t end = paragraph.find(' ', i);
    if (end == std::string::npos) end = paragraph.size();
    std::string word = paragraph.substr(i, end - i);
    std::string candidate = line.empty() ? word : line + " " + word;
    if (!line.empty() && lineWidth(m, candidate, expandTabs) > maxWidth) {
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
    i = end + 1;
  }
  lines.push_back(line);
}

}  // namespace

FontMetrics metricsOf(const LOGFONTA& font) {
  FontMetrics m;
  if (font.lfHeight < 0) {
    int character = -font.lfHeight;
    m.internalLeading = character / 5;
    m.height = character + m.internalLeading;
  } else {
    m.height = font.lfHeight > 0 ? font.lfHeight : kDefaultFontHeight;
    m.internalLeading = m.height / 6;
  }
  m.aveWidth = std::max(1, m.height / 2);
  m.ascent = m.height * 4 / 5;
  m.descent = m.height - m.ascent;
  return m;
}

int lineWidth(const FontMetrics& m, std::string_view text, bool expandTabs) {
  int x = 0;
  int tab = kTabChars * m.aveWidth;
  for (char c : text) {
    if (c == '\t' && expandTabs)
      x = (x / tab + 1) * tab;
    else
      x += m.aveWidth;
  }
  return x;
}

std::vector<std::string> layoutLines(const FontMetrics& m, std::string_view text, UINT format, int maxWidth) {
  std::string shown = (format & DT_NOPREFIX) ? std::string(text) : withoutPrefixes(text);
  if (format & DT_SINGLELINE) return {shown};
  std::vector<std::string> lines;
  bool expandTabs = (format & DT_EXPANDTABS) != 0;
  for (const auto& p : paragraphs(shown)) {
    if ((format & DT_WORDBREAK) && maxWidth > 0)
      wrap(m, p, maxWidth, expandTabs, lines);
    else
      lines.push_back(p);
  }
  return lines;
}

}  // namespace win::detail
