// GetProgmanGroups: one conversation with PROGMAN for the GROUPS item.
#include "ui/progman_groups.h"

#include "interp/progman_records.h"
#include "win/dde.h"

namespace merl {

namespace {

constexpr const char* kProgmanName = "PROGMAN";
constexpr const char* kGroupsItem = "GROUPS";
constexpr win::DWORD kGroupsTimeout = 5000;

}  // namespace

void GetProgmanGroups(char* buffer, std::size_t size) {
  if (!buffer || size == 0) return;
  buffer[0] = '\0';
  win::DWORD instance = progmanLink().ddeInstance;
  if (!instance) return;
  win::HSZ name = win::DdeCreateStringHandle(instance, kProgmanName, win::CP_WINANSI);
  win::HCONV conversation = win::DdeConnect(instance, name, name, nullptr);
  win::DdeFreeStringHandle(instance, name);
  if (!conversation) return;
  win::HSZ item = win::DdeCreateStringHandle(instance, kGroupsItem, win::CP_WINANSI);
  win::HDDEDATA data = win::DdeClientTransaction(nullptr, 0, conversation, item, win::CF_TEXT, win::XTYP_REQUEST,
                                                 kGroupsTimeout, nullptr);
  win::DdeFreeStringHandle(instance, item);
  if (data) {
    win::DWORD n = win::DdeGetData(data, reinterpret_cast<win::LPBYTE>(buffer), static_cast<win::DWORD>(size - 1), 0);
    buffer[n < size ? n : size - 1] = '\0';
    win::DdeFreeDataHandle(data);
  }
  win::DdeDisconnect(conversation);
}

}  // namespace merl
