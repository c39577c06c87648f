// Double-byte text over the machine's ANSI code page: the cached kind of the
// page and the walk from the start of a text that tells lead and trail bytes.
#include "text/dbcs.h"

#include "run.h"
#include "win/system.h"

namespace merl {

namespace {

int kindOf(win::UINT codePage) {
  switch (codePage) {
    case 932: return kJapanesePage;
    case 949: return kKoreanPage;
    case 950: return kChinesePage;
    default: return kSingleBytePage;
  }
}

// The ANSI code page's kind for the run.
struct CodePageKind : RunState {
  int kind = kindOf(win::GetACP());
};

}  // namespace

// An explicit page is never answered from the cache, which holds the ANSI page's kind only.
int AnsiCodePageKind(win::UINT codePage) {
  return codePage == 0 ? run().state<CodePageKind>().kind : kindOf(codePage);
}

std::size_t charLengthAt(std::string_view text, std::size_t at) {
  if (at >= text.size()) return 0;
  if (AnsiCodePageKind() != kSingleBytePage && at + 1 < text.size() &&
      win::IsDBCSLeadByte(static_cast<win::BYTE>(text[at])))
    return 2;
  return 1;
}

int DbcsByteKind(std::string_view text, int position) {
  if (AnsiCodePageKind() == kSingleBytePage || text.empty()) return kPlainByte;
  std::size_t at = position < 0 ? text.size() - 1 : static_cast<std::size_t>(position);
  if (at >= text.size()) return kPlainByte;
  for (std::size_t i = 0; i <= at;) {
    bool lead = win::IsDBCSLeadByte(static_cast<win::BYTE>(text[i]));
    if (i == at) return lead ? kLeadByte : kPlainByte;
    if (lead && i + 1 == at) return kTrailByte;
    i += lead ? 2 : 1;
  }
  return kPlainByte;
}

}  // namespace merl
