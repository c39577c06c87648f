// Requests 6 to 9: add, delete, list and modify the managed sensors of
// ".cvdb", with the removal and renaming of a sensor's books.
#include <cstring>
#include <vector>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "server/books/book_files.h"
#include "server/constants.h"
#include "server/cv_db.h"
#include "server/dispatcher.h"
#include "server/file_helpers.h"
#include "server/log.h"

namespace cvlm {

namespace {

// Field offsets in the request header.
constexpr std::size_t kAddName = 8, kAddAddress = 40, kAddCommunity = 44, kAddText1 = 76, kAddText2 = 108,
                      kAddNumber1 = 140, kAddNumber2 = 144;
constexpr std::size_t kDelAddress = 8;
constexpr std::size_t kModAddress = 8, kModNewAddress = 12, kModCommunity = 16, kModName = 48,
                      kModNewCommunity = 80, kModText1 = 112, kModText2 = 144, kModNumber1 = 176,
                      kModNumber2 = 180, kModNumber3 = 184, kModState = 188;
// The host count of the list result.
constexpr std::size_t kListCount = 8;

// The books that go with a deleted host, in the order they are removed.
constexpr int kDeletedBooks[] = {ADDRESS_BOOK, GARELATION_BOOK, GROUP_BOOK, RULE_BOOK, SCHEDULE_BOOK, SERVICE_BOOK};
// The books that follow a host to its new address.
constexpr int kRenamedBooks[] = {SERVICE_BOOK, ADDRESS_BOOK, GROUP_BOOK, SCHEDULE_BOOK, RULE_BOOK, GARELATION_BOOK};

std::uint32_t addressValue(const std::uint8_t* address) {
  std::uint32_t value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

// Sets the result type; a failure also writes its log line.
void setResult(MgrRequestResult& result, std::int32_t type, const char* line = nullptr) {
  formats::putInt32(&result, 4, type);
  if (line != nullptr) writeLog(line);
}

ObjCvHost hostFromAddRequest(const unsigned char* rq) {
  ObjCvHost host{};
  copyCvText(host.name, rq + kAddName);
  std::memcpy(host.address, rq + kAddAddress, sizeof host.address);
  copyCvText(host.community, rq + kAddCommunity);
  copyCvText(host.text1, rq + kAddText1);
  copyCvText(host.text2, rq + kAddText2);
  host.number1 = formats::getInt32(rq, kAddNumber1);
  host.number2 = formats::getInt32(rq, kAddNumber2);
  host.number3 = kNewHostNumber3;
  host.state = 1;
  return host;
}

void removeHostBooks(const std::uint8_t* address) {
  for (int type : kDeletedBooks) {
    std::string name = bookFileName(type, addressValue(address));
    if (!removeFile(name)) writeLogf("Dispatcher::delCvHost::remove %s error!", name.c_str());
  }
}

// A book already under the new name stays as it is.
void renameHostBooks(const std::uint8_t* from, const std::uint8_t* to) {
  for (int type : kRenamedBooks)
    platform::renameNoReplace(bookFileName(type, addressValue(from)), bookFileName(type, addressValue(to)));
}

}  // namespace

void Dispatcher::addCvHost(RqH& header, MgrRequestResult& result) {
  const unsigned char* rq = header.bytes();
  const std::uint8_t* address = rq + kAddAddress;
  writeLogf("Dispatcher::addCvHost() : %d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  CvDb db;
  if (db.count() >= kMaxCvHosts) {
    setResult(result, MRR_TYPE_TooManyCv_Error);
    sendMRR(result);
    writeLog("Dispatcher::addCvHost::MRR_TYPE_TooManyCv_Error");
    return;
  }
  ObjCvHost host = hostFromAddRequest(rq);
  switch (db.add(host)) {
    case 1:
      setResult(result, MRR_TYPE_Success);
      break;
    case 2:
      setResult(result, MRR_TYPE_CvExist_Error, "Dispatcher::addCvHost::MRR_TYPE_CvExist_Error");
      break;
    case 3:
      setResult(result, MRR_TYPE_CvNotFound_Error, "Dispatcher::addCvHost::MRR_TYPE_CvNotFound_Error");
      break;
    case kCvDbFull:
      setResult(result, MRR_TYPE_TooManyCv_Error, "Dispatcher::addCvHost::MRR_TYPE_TooManyCv_Error");
      break;
    default:
      setResult(result, MRR_TYPE_Unknow_Error, "Dispatcher::addCvHost::MRR_TYPE_Unknow_Error");
      break;
  }
  sendMRR(result);
}

void Dispatcher::delCvHost(RqH& header, MgrRequestResult& result) {
  const std::uint8_t* address = header.bytes() + kDelAddress;
  writeLogf("Dispatcher::delCvHost(): %d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  CvDb db;
  int removed = db.remove(address);
  // The books of a host that is still listed (".cvdb" unreadable) stay.
  if (removed != kCvDbFileError) removeHostBooks(address);
  if (removed == 1) {
    setResult(result, MRR_TYPE_Success);
  } else if (removed == 3) {
    setResult(result, MRR_TYPE_CvNotFound_Error, "Dispatcher::delCvHost::MRR_TYPE_CvNotFound_Error");
  } else {
    setResult(result, MRR_TYPE_Unknow_Error, "Dispatcher::delCvHost::MRR_TYPE_Unknow_Error");
  }
  sendMRR(result);
}

void Dispatcher::listCvHost(RqH&, MgrRequestResult& result) {
  writeLog("Dispatcher::listCvHost()");
  CvDb db;
  if (!db.loaded()) {
    // An unreadable ".cvdb" is not an empty list.
    setResult(result, MRR_TYPE_Unknow_Error, "Dispatcher::listCvHost::MRR_TYPE_Unknow_Error");
    sendMRR(result);
    return;
  }
  std::vector<unsigned char> hosts(static_cast<std::size_t>(db.count()) * kCvHostSize);
  int n = db.copyAll(hosts.data(), hosts.size());
  setResult(result, MRR_TYPE_Success);
  formats::putInt32(&result, kListCount, n);
  sendMRR(result);
  connection_.sendToUI(hosts.data(), hosts.size());
}

void Dispatcher::modifyCvHost(RqH& header, MgrRequestResult& result) {
  const unsigned char* rq = header.bytes();
  const std::uint8_t* address = rq + kModAddress;
  const std::uint8_t* newAddress = rq + kModNewAddress;
  writeLogf("Dispatcher::modifyCvHost() : %d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  CvDb db;
  int modified = db.modify(address, reinterpret_cast<const char*>(rq + kModCommunity),
                           reinterpret_cast<const char*>(rq + kModName), newAddress,
                           reinterpret_cast<const char*>(rq + kModNewCommunity),
                           reinterpret_cast<const char*>(rq + kModText1), reinterpret_cast<const char*>(rq + kModText2),
                           formats::getInt32(rq, kModNumber1), formats::getInt32(rq, kModNumber2), formats::getInt32(rq, kModNumber3),
                           rq[kModState]);
  switch (modified) {
    case 1:
      setResult(result, MRR_TYPE_Success);
      if (!sameAddress(address, newAddress)) renameHostBooks(address, newAddress);
      break;
    case 3:
      setResult(result, MRR_TYPE_CvNotFound_Error, "Dispatcher::modifyCvHost::MRR_TYPE_CvNotFound_Error");
      break;
    case 4:
      setResult(result, MRR_TYPE_Community_Error, "Dispatcher::modifyCvHost::MRR_TYPE_Community_Error");
      break;
    default:  // 2: the new address belongs to another host; or ".cvdb" failed
      setResult(result, MRR_TYPE_Unknow_Error, "Dispatcher::modifyCvHost::MRR_TYPE_Unknow_Error");
      break;
  }
  sendMRR(result);
}

}  // namespace cvlm
