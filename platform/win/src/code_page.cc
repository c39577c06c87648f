// Text helpers of the ANSI code page: lead bytes and character stepping, OEM
// conversion, case, and the one collation of lstrcmp/lstrcmpi.
#include <cstring>

#include "oem_table.h"
#include "win/system.h"

namespace win {

namespace {

bool isDoubleByte(UINT cp) { return cp == 932 || cp == 936 || cp == 949 || cp == 950; }

bool leadByte(UINT cp, unsigned char c) {
  if (cp == 932) return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
  return isDoubleByte(cp) && c >= 0x81 && c <= 0xFE;
}

unsigned char upperByte(UINT cp, unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
  if (cp != 1252) return c;
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 0x10);  // š œ ž
  if (c == 0xFF) return 0x9F;                                                           // ÿ
  if (c >= 0xE0 && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
  return c;
}

unsigned char lowerByte(UINT cp, unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (cp != 1252) return c;
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 0x10);
  if (c == 0x9F) return 0xFF;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  return c;
}

// Applies a byte map to each character of text (trail bytes of double-byte characters stay).
template <typename Map>
void mapText(UINT cp, char* text, std::size_t n, Map map) {
  for (std::size_t i = 0; i < n; ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (leadByte(cp, c) && i + 1 < n) {
      ++i;
      continue;
    }
    text[i] = static_cast<char>(map(cp, c));
  }
}

LPSTR changeCase(LPSTR text, unsigned char (*map)(UINT, unsigned char)) {
  UINT cp = GetACP();
  auto value = reinterpret_cast<UINT_PTR>(text);
  if ((value >> 16) == 0)  // one character, not a string
    return reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(map(cp, static_cast<unsigned char>(value))));
  mapText(cp, text, std::strlen(text), map);
  return text;
}

BOOL convert(LPCSTR src, LPSTR dst, std::size_t n, const std::array<unsigned char, 128>& table) {
  if (!src || !dst) return FALSE;
  if (isDoubleByte(GetACP())) {
    if (src != dst) std::memmove(dst, src, n);
    return TRUE;
  }
  for (std::size_t i = 0; i < n; ++i) {
    auto c = static_cast<unsigned char>(src[i]);
    dst[i] = static_cast<char>(c < 0x80 ? c : table[c - 0x80]);
  }
  return TRUE;
}

// The collation weight of a byte: its class, then its place in the class.
int weight(UINT cp, unsigned char c) {
  if (c >= '0' && c <= '9') return 0x100 | c;
  unsigned char u = upperByte(cp, c);
  if (u >= 'A' && u <= 'Z') return 0x200 | u;
  if (c >= 0x80) return 0x300 | (isDoubleByte(cp) ? c : u);
  return c;
}

int compare(LPCSTR a, LPCSTR b, bool caseBlind) {
  UINT cp = GetACP();
  const auto* x = reinterpret_cast<const unsigned char*>(a ? a : "");
  const auto* y = reinterpret_cast<const unsigned char*>(b ? b : "");
  int caseOrder = 0;  // the first case difference: -1 when x has the lower case letter there
  bool trail = false;  // both are at the trail byte of equal lead bytes
  std::size_t i = 0;
  for (; x[i] && y[i]; ++i) {
    int wx = trail ? x[i] : weight(cp, x[i]), wy = trail ? y[i] : weight(cp, y[i]);
    if (wx != wy) return wx < wy ? -1 : 1;
    if (!trail && !caseOrder && x[i] != y[i]) caseOrder = lowerByte(cp, x[i]) == x[i] ? -1 : 1;
    trail = !trail && leadByte(cp, x[i]);
  }
  if (x[i] || y[i]) return x[i] ? 1 : -1;
  return caseBlind ? 0 : caseOrder;
}

}  // namespace

BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) { return leadByte(CodePage, TestChar) ? TRUE : FALSE; }

BOOL IsDBCSLeadByte(BYTE TestChar) { return IsDBCSLeadByteEx(GetACP(), TestChar); }

LPSTR CharNext(LPCSTR p) {
  if (!p || !*p) return const_cast<LPSTR>(p);
  if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) return const_cast<LPSTR>(p + 2);
  return const_cast<LPSTR>(p + 1);
}

LPSTR CharPrev(LPCSTR start, LPCSTR current) {
  if (!start || !current || current <= start) return const_cast<LPSTR>(start);
  LPCSTR p = start;
  for (;;) {
    LPCSTR next = CharNext(p);
    if (next >= current || next == p) return const_cast<LPSTR>(p);
    p = next;
  }
}

BOOL OemToChar(LPCSTR src, LPSTR dst) { return src ? convert(src, dst, std::strlen(src) + 1, kOemToAnsi) : FALSE; }

BOOL CharToOem(LPCSTR src, LPSTR dst) { return src ? convert(src, dst, std::strlen(src) + 1, kAnsiToOem) : FALSE; }

BOOL OemToCharBuff(LPCSTR src, LPSTR dst, DWORD n) { return convert(src, dst, n, kOemToAnsi); }

BOOL CharToOemBuff(LPCSTR src, LPSTR dst, DWORD n) { return convert(src, dst, n, kAnsiToOem); }

LPSTR CharUpper(LPSTR text) { return text ? changeCase(text, upperByte) : nullptr; }

LPSTR CharLower(LPSTR text) { return text ? changeCase(text, lowerByte) : nullptr; }

int lstrcmp(LPCSTR a, LPCSTR b) { return compare(a, b, false); }

int lstrcmpi(LPCSTR a, LPCSTR b) { return compare(a, b, true); }

int lstrlen(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

LPSTR lstrcpyn(LPSTR dst, LPCSTR src, int max) {
  if (!dst || !src || max <= 0) return dst;
  std::size_t n = ::strnlen(src, static_cast<std::size_t>(max - 1));
  std::memmove(dst, src, n);
  dst[n] = '\0';
  return dst;
}

}  // namespace win
