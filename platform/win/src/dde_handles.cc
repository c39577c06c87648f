// DDE string handles (one per text, ignoring case, counted) and data handles.
#include <algorithm>
#include <cstring>

#include "dde_internal.h"
#include "win/ui_constants.h"

namespace win {

using detail::ddeState;

namespace detail {

std::string ddeUpper(std::string text) {
  for (auto& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string ddeText(HSZ hsz) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  auto it = s.strings.find(handleValue(hsz));
  return it == s.strings.end() ? std::string() : it->second.text;
}

bool ddeSetError(DWORD instance, UINT error) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  auto it = s.instances.find(instance);
  if (it == s.instances.end()) return false;
  it->second.lastError = error;
  return true;
}

}  // namespace detail

HSZ DdeCreateStringHandle(DWORD idInst, LPCSTR psz, int) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  if (!s.instances.count(idInst)) return nullptr;
  if (!psz) {
    detail::ddeSetError(idInst, DMLERR_INVALIDPARAMETER);
    return nullptr;
  }
  std::string upper = detail::ddeUpper(psz);
  for (auto& [value, entry] : s.strings)
    if (detail::ddeUpper(entry.text) == upper) {
      ++entry.refs;
      return handleFromValue<HSZ>(value);
    }
  std::uintptr_t value = kFirstStringHandle + 4 * s.nextString++;
  s.strings[value] = detail::DdeString{psz, 1};
  return handleFromValue<HSZ>(value);
}

DWORD DdeQueryString(DWORD idInst, HSZ hsz, LPSTR psz, DWORD cchMax, int) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  auto it = s.strings.find(handleValue(hsz));
  if (!s.instances.count(idInst) || it == s.strings.end()) return 0;
  const std::string& text = it->second.text;
  if (!psz) return static_cast<DWORD>(text.size());
  if (cchMax == 0) return 0;
  std::size_t n = std::min<std::size_t>(text.size(), cchMax - 1);
  std::memcpy(psz, text.data(), n);
  psz[n] = '\0';
  return static_cast<DWORD>(n);
}

BOOL DdeFreeStringHandle(DWORD idInst, HSZ hsz) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  auto it = s.strings.find(handleValue(hsz));
  if (!s.instances.count(idInst) || it == s.strings.end()) return FALSE;
  if (--it->second.refs <= 0) s.strings.erase(it);
  return TRUE;
}

BOOL DdeKeepStringHandle(DWORD idInst, HSZ hsz) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  auto it = s.strings.find(handleValue(hsz));
  if (!s.instances.count(idInst) || it == s.strings.end()) return FALSE;
  ++it->second.refs;
  return TRUE;
}

int DdeCmpStringHandles(HSZ hsz1, HSZ hsz2) {
  std::string a = detail::ddeUpper(detail::ddeText(hsz1)), b = detail::ddeUpper(detail::ddeText(hsz2));
  return a < b ? -1 : (a == b ? 0 : 1);
}

HDDEDATA DdeCreateDataHandle(DWORD idInst, LPBYTE pSrc, DWORD cb, DWORD cbOff, HSZ hszItem, UINT wFmt, UINT) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  if (!s.instances.count(idInst)) return nullptr;
  detail::DdeData d;
  d.bytes = pSrc ? std::string(reinterpret_cast<const char*>(pSrc) + cbOff, cb) : std::string(cb, '\0');
  d.item = hszItem;
  d.format = wFmt;
  d.instance = idInst;
  std::uintptr_t value = kFirstDataHandle + 4 * s.nextData++;
  s.data[value] = std::move(d);
  return handleFromValue<HDDEDATA>(value);
}

DWORD DdeGetData(HDDEDATA hData, LPBYTE pDst, DWORD cbMax, DWORD cbOff) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  auto it = s.data.find(handleValue(hData));
  if (it == s.data.end()) return 0;
  const std::string& bytes = it->second.bytes;
  if (!pDst) return static_cast<DWORD>(bytes.size());
  if (cbOff >= bytes.size()) return 0;
  std::size_t n = std::min<std::size_t>(cbMax, bytes.size() - cbOff);
  std::memcpy(pDst, bytes.data() + cbOff, n);
  return static_cast<DWORD>(n);
}

LPBYTE DdeAccessData(HDDEDATA hData, LPDWORD pcbDataSize) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  auto it = s.data.find(handleValue(hData));
  if (it == s.data.end()) return nullptr;
  if (pcbDataSize) *pcbDataSize = static_cast<DWORD>(it->second.bytes.size());
  return reinterpret_cast<LPBYTE>(it->second.bytes.data());
}

BOOL DdeUnaccessData(HDDEDATA hData) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  return s.data.count(handleValue(hData)) ? TRUE : FALSE;
}

BOOL DdeFreeDataHandle(HDDEDATA hData) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  return s.data.erase(handleValue(hData)) ? TRUE : FALSE;
}

}  // namespace win
