// The wizard's pages: each page's title and texts (message numbers) and the
// lines of a list page, with the selection flags they stand for, in line order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log/item_lists.h"

namespace remvex {

struct PageTexts {
  int title = 0;
  int text = 0;
  bool textWithTitle = false;  // the page text is formatted with the product title
  int second = 0;              // text 1004, 0 for none
  int firstChoice = 0, secondChoice = 0;  // radio 1000 and 1001, 0 for none
};

// The texts of page 0-12 (a page past 12 has none).
PageTexts TextsOfPage(std::uint8_t page);

// True for pages 1-10.
bool IsListPage(std::uint8_t page);

// The lines of a list page (each bounded), none for other pages.
std::vector<std::string> PageLines(std::uint8_t page, const LogState& log);

// The selection flag behind each line of PageLines, in the same order.
std::vector<std::uint32_t*> PageSelections(std::uint8_t page, LogState& log);

}  // namespace remvex
