// The console request handlers the dispatcher's table names: each serves
// one request on its connection and sends its own result. One file per
// request group: accounts.cc, books.cc, email.cc, files.cc, hello.cc,
// hosts.cc, kernel.cc, sensor_status.cc.
#pragma once

#include <cstdint>

#include "server/protocol.h"
#include "server/ui_socket.h"

namespace cvlm {

using RequestHandler = void (*)(UISocket& console, const RqH& header, MgrRequestResult& result);

// Sets the result type and sends the result: how a handler answers.
inline bool answer(UISocket& console, MgrRequestResult& result, std::int32_t type) {
  result.type = type;
  return console.sendMRR(result);
}

// requests/hello.cc
void hello(UISocket& console, const RqH& header, MgrRequestResult& result);

// requests/accounts.cc
void changePasswd(UISocket& console, const RqH& header, MgrRequestResult& result);
void getAcl(UISocket& console, const RqH& header, MgrRequestResult& result);
void setAcl(UISocket& console, const RqH& header, MgrRequestResult& result);
void getAllAcl(UISocket& console, const RqH& header, MgrRequestResult& result);
void addAcl(UISocket& console, const RqH& header, MgrRequestResult& result);
void detAcl(UISocket& console, const RqH& header, MgrRequestResult& result);

// requests/books.cc (with the rule push of push/rule_push.cc)
void uploadBook(UISocket& console, const RqH& header, MgrRequestResult& result);
void downloadBook(UISocket& console, const RqH& header, MgrRequestResult& result);

// requests/files.cc
void uploadFile(UISocket& console, const RqH& header, MgrRequestResult& result);
void downloadFile(UISocket& console, const RqH& header, MgrRequestResult& result);

// requests/hosts.cc
void addCvHost(UISocket& console, const RqH& header, MgrRequestResult& result);
void delCvHost(UISocket& console, const RqH& header, MgrRequestResult& result);
void listCvHost(UISocket& console, const RqH& header, MgrRequestResult& result);
void modifyCvHost(UISocket& console, const RqH& header, MgrRequestResult& result);

// requests/email.cc
void getEMailInfo(UISocket& console, const RqH& header, MgrRequestResult& result);
void setEMailInfo(UISocket& console, const RqH& header, MgrRequestResult& result);

// requests/sensor_status.cc
void queryCvHost(UISocket& console, const RqH& header, MgrRequestResult& result);

// requests/kernel.cc
void putCVKernel(UISocket& console, const RqH& header, MgrRequestResult& result);
void setCvKparam(UISocket& console, const RqH& header, MgrRequestResult& result);
void getCvKparam(UISocket& console, const RqH& header, MgrRequestResult& result);

}  // namespace cvlm
