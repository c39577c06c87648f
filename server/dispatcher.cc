// Request dispatcher: the account-file check, the header read, the switch on
// the request type with its catch-all, and the result send.
#include "server/dispatcher.h"

#include "formats/byte_order.h"
#include "server/account_store.h"
#include "server/log.h"

namespace cvlm {

void Dispatcher::dispatcher() {
  if (!makeAccountFile()) {
    writeLog("Dispatcher::dispatcher::Error to create default acl.");
    connection_.closeSocket();
    return;
  }
  RqH header{};
  MgrRequestResult result{};
  bool resultPending = false;
  if (!readMRH(header)) {
    writeLog("MRR_TYPE_ReadMRH_Error!");
    formats::putInt32(&result, 4, MRR_TYPE_ReadMRH_Error);
    resultPending = true;
  } else {
    checkValidConn(header, result);
    std::int32_t type = formats::getInt32(&header, 4);
    writeLogf("Dispatcher::dispatcher::rqh.Type=%d", type);
    try {
      if (!handleRequest(header, result)) {
        formats::putInt32(&result, 4, MRR_TYPE_Unknown_Request);
        writeLog("Dispatcher::dispatcher::Unknown request from UI.");
        resultPending = true;
      }
    } catch (...) {
      writeLog("dispatcher get exception!!");
      // The handler may have sent (and so scrambled) the record already.
      result = MgrRequestResult{};
      formats::putInt32(&result, 4, MRR_TYPE_Unknow_Error);
      resultPending = true;
    }
  }
  if (resultPending) sendMRR(result);
  connection_.closeSocket();
}

// The switch on the request type. A type whose handler is not built yet
// falls through to "unknown" and is answered 4.
bool Dispatcher::handleRequest(RqH& header, MgrRequestResult& result) {
  switch (formats::getInt32(&header, 4)) {
    case RQ_Hello:
      hello(header, result);
      return true;
    case RQ_ChangePasswd:
      changePasswd(header, result);
      return true;
    case RQ_UploadBook:
      uploadBook(header, result);
      return true;
    case RQ_DownloadBook:
      downloadBook(header, result);
      return true;
    case RQ_QueryCvHost:
      queryCvHost(header, result);
      return true;
    case RQ_AddCvHost:
      addCvHost(header, result);
      return true;
    case RQ_DelCvHost:
      delCvHost(header, result);
      return true;
    case RQ_ListCvHost:
      listCvHost(header, result);
      return true;
    case RQ_ModifyCvHost:
      modifyCvHost(header, result);
      return true;
    case RQ_GetEMailInfo:
      getEMailInfo(header, result);
      return true;
    case RQ_SetEMailInfo:
      setEMailInfo(header, result);
      return true;
    case RQ_UploadFile:
      uploadFile(header, result);
      return true;
    case RQ_DownloadFile:
      downloadFile(header, result);
      return true;
    case RQ_Silent15:
    case RQ_Silent16:
    case RQ_Silent19:
      return true;  // accepted; nothing is done and nothing is sent
    case RQ_GetAcl:
      getAcl(header, result);
      return true;
    case RQ_SetAcl:
      setAcl(header, result);
      return true;
    case RQ_GetAllAcl:
      getAllAcl(header, result);
      return true;
    case RQ_AddAcl:
      addAcl(header, result);
      return true;
    case RQ_DetAcl:
      detAcl(header, result);
      return true;
    case RQ_PutCVKernel:
      putCVKernel(header, result);
      return true;
    case RQ_SetCvKparam:
      setCvKparam(header, result);
      return true;
    case RQ_GetCvKparam:
      getCvKparam(header, result);
      return true;
    default:
      return false;
  }
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

bool Dispatcher::sendMRR(MgrRequestResult& result) {
  encodeRecord(result.bytes(), sizeof result);
  if (connection_.sendToUI(result.bytes(), sizeof result) < static_cast<long>(sizeof result)) {
    writeLog("Dispatcher::sendMRR::Send MgrRequestResult failed!");
    return false;
  }
  return true;
}

bool Dispatcher::checkValidConn(const RqH&, MgrRequestResult&) {
  writeLog("Dispatcher::checkValidConn()");
  return true;
}

bool Dispatcher::makeAccountFile() { return createDefaultAclFile(); }

}  // namespace cvlm
