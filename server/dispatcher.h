// Serves the one request of a console connection: makes sure the account file
// exists, reads and checks the header, runs the handler of its type, sends a
// result when the handler does not, and closes the connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "server/protocol.h"
#include "server/ui_socket.h"

namespace cvlm {

class Dispatcher {
 public:
  explicit Dispatcher(UISocket& connection) : connection_(connection) {}
  virtual ~Dispatcher() = default;
  Dispatcher(const Dispatcher&) = delete;
  Dispatcher& operator=(const Dispatcher&) = delete;

  // Serves one request and closes the connection.
  void dispatcher();

 protected:
  // Runs the handler of the header's type; false for a type without a
  // handler (answered 4 by the caller). Handlers send their own result.
  virtual bool handleRequest(RqH& header, MgrRequestResult& result);

  // Receives the 196-byte header and checks it; false when short or corrupt.
  bool readMRH(RqH& header);
  // Scrambles the result and sends it as one unit; false when sent short.
  bool sendMRR(MgrRequestResult& result);
  // Accepts every request.
  bool checkValidConn(const RqH& header, MgrRequestResult& result);

  // requests/hello.cc
  void hello(RqH& header, MgrRequestResult& result);
  // Value of key in section of "cvlm.ini", at most size bytes; 1 found, 0 not.
  int readIniValue(const char* section, const char* key, char* out, std::size_t size);

  // requests/accounts.cc
  void changePasswd(RqH& header, MgrRequestResult& result);
  void getAcl(RqH& header, MgrRequestResult& result);
  void setAcl(RqH& header, MgrRequestResult& result);
  void getAllAcl(RqH& header, MgrRequestResult& result);
  void addAcl(RqH& header, MgrRequestResult& result);
  void detAcl(RqH& header, MgrRequestResult& result);
  // requests/books.cc
  void uploadBook(RqH& header, MgrRequestResult& result);
  void downloadBook(RqH& header, MgrRequestResult& result);
  // push/rule_push.cc: pushes the sensor's Rule book after an upload and
  // sends the result itself.
  void uploadRule(RqH& header, MgrRequestResult& result);
  // requests/files.cc
  void uploadFile(RqH& header, MgrRequestResult& result);
  void downloadFile(RqH& header, MgrRequestResult& result);

  // requests/hosts.cc
  void addCvHost(RqH& header, MgrRequestResult& result);
  void delCvHost(RqH& header, MgrRequestResult& result);
  void listCvHost(RqH& header, MgrRequestResult& result);
  void modifyCvHost(RqH& header, MgrRequestResult& result);
  // requests/email.cc
  void getEMailInfo(RqH& header, MgrRequestResult& result);
  void setEMailInfo(RqH& header, MgrRequestResult& result);

  // requests/sensor_status.cc
  void queryCvHost(RqH& header, MgrRequestResult& result);

  // requests/kernel.cc
  void putCVKernel(RqH& header, MgrRequestResult& result);
  void setCvKparam(RqH& header, MgrRequestResult& result);
  void getCvKparam(RqH& header, MgrRequestResult& result);

  UISocket& connection_;

 private:
  // Steps of the book, push and file requests.
  std::int32_t storeUploadedBook(const RqH& header, std::int32_t bookType, std::uint32_t sensor);
  bool receiveBookRecords(std::int64_t count, std::size_t recordSize, std::string& records);
  std::int32_t pushRules(std::uint32_t sensor);
  std::int32_t receiveUploadedFile(const std::string& name, std::int32_t fileSize);
  void sendFilePieces(int fd, std::int32_t fileSize);

  // Creates ".acl" with the built-in accounts when it is missing; false when
  // it cannot be created.
  bool makeAccountFile();
};

}  // namespace cvlm
