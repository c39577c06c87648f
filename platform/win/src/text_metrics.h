// The fixed text metrics of every font (see ui_constants.h): cell height from
// lfHeight, every character half as wide, tabs every eight characters, and the
// line layout DrawText measures and places with.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace win::detail {

struct FontMetrics {
  int height = 0;    // cell height
  int aveWidth = 0;  // every character's width
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;
};

FontMetrics metricsOf(const LOGFONTA& font);
// Width of a single line (tabs expanded when expandTabs, otherwise as one character).
int lineWidth(const FontMetrics& m, std::string_view text, bool expandTabs);

// DrawText's lines for the format (word breaks within maxWidth, '&' prefixes removed unless
// DT_NOPREFIX, single line with DT_SINGLELINE).
std::vector<std::string> layoutLines(const FontMetrics& m, std::string_view text, UINT format, int maxWidth);

}  // namespace win::detail
