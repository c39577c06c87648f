// dde_request [--out FILE] SERVICE TOPIC ITEM: one CF_TEXT request on the
// machine of IDS_PLATFORM_DIR; the reply's bytes go to FILE, else to standard
// output as hexadecimal. Status 0 when answered, 1 when not, 2 for bad usage.
#include <cstdio>
#include <fstream>
#include <string>

#include "win/dde.h"
#include "win/ui_constants.h"

using namespace win;

int main(int argc, char** argv) {
  std::string out;
  int i = 1;
  if (i + 1 < argc && std::string(argv[i]) == "--out") {
    out = argv[i + 1];
    i += 2;
  }
  if (argc - i != 3) {
    std::fprintf(stderr, "usage: dde_request [--out FILE] SERVICE TOPIC ITEM\n");
    return 2;
  }
  DWORD inst = 0;
  if (DdeInitialize(&inst, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 1;
  HSZ service = DdeCreateStringHandle(inst, argv[i], CP_WINANSI);
  HSZ topic = DdeCreateStringHandle(inst, argv[i + 1], CP_WINANSI);
  HSZ item = DdeCreateStringHandle(inst, argv[i + 2], CP_WINANSI);
  HCONV conv = DdeConnect(inst, service, topic, nullptr);
  if (!conv) {
    std::fprintf(stderr, "dde_request: no conversation with %s/%s (0x%04X)\n", argv[i], argv[i + 1],
                 DdeGetLastError(inst));
    return 1;
  }
  DWORD result = 0;
  HDDEDATA data = DdeClientTransaction(nullptr, 0, conv, item, CF_TEXT, XTYP_REQUEST, kDdeRequestToolTimeoutMs, &result);
  if (!data) {
    std::fprintf(stderr, "dde_request: %s not answered (0x%04X)\n", argv[i + 2], DdeGetLastError(inst));
    return 1;
  }
  DWORD size = 0;
  const char* bytes = reinterpret_cast<const char*>(DdeAccessData(data, &size));
  if (!out.empty()) {
    std::ofstream file(out, std::ios::binary);
    file.write(bytes, size);
    if (!file) return 1;
  } else {
    for (DWORD n = 0; n < size; ++n) std::printf("%02x", static_cast<unsigned char>(bytes[n]));
    std::printf("\n");
  }
  DdeUnaccessData(data);
  DdeFreeDataHandle(data);
  DdeDisconnect(conv);
  DdeUninitialize(inst);
  return 0;
}
