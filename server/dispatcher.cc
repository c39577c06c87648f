// Request dispatcher: the account-file check, the header read, the table of
// request types with its catch-all, and the result send.
#include "server/dispatcher.h"

#include <cstdint>

#include "server/account_store.h"
#include "server/log.h"
#include "server/requests/handlers.h"

namespace cvlm {

namespace {

// Accepted; nothing is done and nothing is sent.
void ignoreRequest(UISocket&, const RqH&, MgrRequestResult&) {}

struct RequestEntry {
  std::int32_t type;
  // The line logged before the handler runs; nullptr where the handler's
  // own first line carries its arguments.
  const char* opening;
  RequestHandler handle;
};

// A type that is not listed is answered 4.
constexpr RequestEntry kRequests[] = {
    {RQ_Hello, "Dispatcher::hello()", hello},
    {RQ_UploadBook, "Dispatcher::uploadBook()", uploadBook},
    {RQ_DownloadBook, nullptr, downloadBook},
    {RQ_ChangePasswd, "Dispatcher::changePasswd()", changePasswd},
    {RQ_QueryCvHost, nullptr, queryCvHost},
    {RQ_AddCvHost, nullptr, addCvHost},
    {RQ_DelCvHost, nullptr, delCvHost},
    {RQ_ListCvHost, "Dispatcher::listCvHost()", listCvHost},
    {RQ_ModifyCvHost, nullptr, modifyCvHost},
    {RQ_GetEMailInfo, "Dispatcher::getEMailInfo()", getEMailInfo},
    {RQ_SetEMailInfo, "Dispatcher::setEMailInfo()", setEMailInfo},
    {RQ_UploadFile, nullptr, uploadFile},
    {RQ_DownloadFile, "Dispatcher::downloadFile()", downloadFile},
    {RQ_Silent15, nullptr, ignoreRequest},
    {RQ_Silent16, nullptr, ignoreRequest},
    {RQ_Silent19, nullptr, ignoreRequest},
    {RQ_PutCVKernel, nullptr, putCVKernel},
    {RQ_GetAcl, "Dispatcher::getAcl()", getAcl},
    {RQ_SetAcl, "Dispatcher::setAcl()", setAcl},
    {RQ_GetAllAcl, "Dispatcher::getAllAcl()", getAllAcl},
    {RQ_AddAcl, "Dispatcher::addAcl()", addAcl},
    {RQ_DetAcl, "Dispatcher::detAcl()", detAcl},
    {RQ_SetCvKparam, nullptr, setCvKparam},
    {RQ_GetCvKparam, nullptr, getCvKparam},
};

const RequestEntry* findRequest(std::int32_t type) {
  for (const RequestEntry& entry : kRequests)
    if (entry.type == type) return &entry;
  return nullptr;
}

}  // namespace

void Dispatcher::dispatcher() {
  if (!createDefaultAclFile()) {
    writeLog("Dispatcher::dispatcher::Error to create default acl.");
    connection_.closeSocket();
    return;
  }
  RqH header{};
  MgrRequestResult result{};
  bool resultPending = false;
  if (!readMRH(header)) {
    writeLog("MRR_TYPE_ReadMRH_Error!");
    result.type = MRR_TYPE_ReadMRH_Error;
    resultPending = true;
  } else {
    checkValidConn(header, result);
    writeLogf("Dispatcher::dispatcher::rqh.Type=%d", header.Type);
    try {
      if (!handleRequest(header, result)) {
        result.type = MRR_TYPE_Unknown_Request;
        writeLog("Dispatcher::dispatcher::Unknown request from UI.");
        resultPending = true;
      }
    } catch (...) {
      writeLog("dispatcher get exception!!");
      // The handler may have sent (and so scrambled) the record already.
      result = MgrRequestResult{};
      result.type = MRR_TYPE_Unknow_Error;
      resultPending = true;
    }
  }
  if (resultPending) connection_.sendMRR(result);
  connection_.closeSocket();
}

bool Dispatcher::handleRequest(RqH& header, MgrRequestResult& result) {
  const RequestEntry* entry = findRequest(header.Type);
  if (!entry) return false;
  if (entry->opening) writeLog(entry->opening);
  entry->handle(connection_, header, result);
  return true;
}

bool Dispatcher::readMRH(RqH& header) {
  long got = connection_.receive(header.bytes(), sizeof header);
  if (got != static_cast<long>(sizeof header)) {
    writeLogf("Dispatcher::readMRH::RqH size not match! RqH size = %d, recv size = %ld",
              static_cast<int>(sizeof header), got);
    return false;
  }
  return decodeRecord(header.bytes(), sizeof header) == 1;
}

bool Dispatcher::checkValidConn(const RqH&, MgrRequestResult&) {
  writeLog("Dispatcher::checkValidConn()");
  return true;
}

}  // namespace cvlm
