// Requests 6 to 9: add, delete, list and modify the managed sensors of
// ".cvdb", with the removal and renaming of a sensor's books.
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "server/books/book_files.h"
#include "server/constants.h"
#include "server/cv_db.h"
#include "server/log.h"
#include "server/request_records.h"
#include "server/requests/handlers.h"

namespace cvlm {

namespace {

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
  result.type = type;
  if (line != nullptr) writeLog(line);
}

ObjCvHost hostFromAddRequest(const AddCvHostArgs& args) {
  ObjCvHost host{};
  copyCvText(host.name, args.name);
  std::memcpy(host.address, args.address, sizeof host.address);
  copyCvText(host.community, args.community);
  copyCvText(host.text1, args.text1);
  copyCvText(host.text2, args.text2);
  host.number1 = args.number1;
  host.number2 = args.number2;
  host.number3 = kNewHostNumber3;
  host.state = 1;
  return host;
}

void removeHostBooks(const std::uint8_t* address) {
  for (int type : kDeletedBooks) {
    std::string name = bookFileName(type, addressValue(address));
    if (!platform::removeFile(name)) writeLogf("Dispatcher::delCvHost::remove %s error!", name.c_str());
  }
}

// A book already under the new name stays as it is.
void renameHostBooks(const std::uint8_t* from, const std::uint8_t* to) {
  for (int type : kRenamedBooks)
    platform::renameNoReplace(bookFileName(type, addressValue(from)), bookFileName(type, addressValue(to)));
}

}  // namespace

void addCvHost(UISocket& console, const RqH& header, MgrRequestResult& result) {
  AddCvHostArgs args = header.argsAs<AddCvHostArgs>();
  const std::uint8_t* address = args.address;
  writeLogf("Dispatcher::addCvHost() : %d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  CvDb db;
  if (db.count() >= kMaxCvHosts) {
    answer(console, result, MRR_TYPE_TooManyCv_Error);
    writeLog("Dispatcher::addCvHost::MRR_TYPE_TooManyCv_Error");
    return;
  }
  ObjCvHost host = hostFromAddRequest(args);
  switch (db.add(host)) {
    case kCvDbDone:
      setResult(result, MRR_TYPE_Success);
      break;
    case kCvDbAddressTaken:
      setResult(result, MRR_TYPE_CvExist_Error, "Dispatcher::addCvHost::MRR_TYPE_CvExist_Error");
      break;
    case kCvDbNotFound:
      setResult(result, MRR_TYPE_CvNotFound_Error, "Dispatcher::addCvHost::MRR_TYPE_CvNotFound_Error");
      break;
    case kCvDbFull:
      setResult(result, MRR_TYPE_TooManyCv_Error, "Dispatcher::addCvHost::MRR_TYPE_TooManyCv_Error");
      break;
    default:
      setResult(result, MRR_TYPE_Unknow_Error, "Dispatcher::addCvHost::MRR_TYPE_Unknow_Error");
      break;
  }
  console.sendMRR(result);
}

void delCvHost(UISocket& console, const RqH& header, MgrRequestResult& result) {
  SensorArgs args = header.argsAs<SensorArgs>();
  const std::uint8_t* address = args.address;
  writeLogf("Dispatcher::delCvHost(): %d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  CvDb db;
  int removed = db.remove(address);
  // The books of a host that is still listed (".cvdb" unreadable) stay.
  if (removed != kCvDbFileError) removeHostBooks(address);
  if (removed == kCvDbDone) {
    setResult(result, MRR_TYPE_Success);
  } else if (removed == kCvDbNotFound) {
    setResult(result, MRR_TYPE_CvNotFound_Error, "Dispatcher::delCvHost::MRR_TYPE_CvNotFound_Error");
  } else {
    setResult(result, MRR_TYPE_Unknow_Error, "Dispatcher::delCvHost::MRR_TYPE_Unknow_Error");
  }
  console.sendMRR(result);
}

void listCvHost(UISocket& console, const RqH&, MgrRequestResult& result) {
  CvDb db;
  if (!db.loaded()) {
    // An unreadable ".cvdb" is not an empty list.
    setResult(result, MRR_TYPE_Unknow_Error, "Dispatcher::listCvHost::MRR_TYPE_Unknow_Error");
    console.sendMRR(result);
    return;
  }
  std::vector<unsigned char> hosts(static_cast<std::size_t>(db.count()) * kCvHostSize);
  int n = db.copyAll(hosts.data(), hosts.size());
  result.setPayload(RecordCountResult{n});
  answer(console, result, MRR_TYPE_Success);
  console.sendToUI(hosts.data(), hosts.size());
}

void modifyCvHost(UISocket& console, const RqH& header, MgrRequestResult& result) {
  ModifyCvHostArgs args = header.argsAs<ModifyCvHostArgs>();
  const std::uint8_t* address = args.address;
  writeLogf("Dispatcher::modifyCvHost() : %d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  CvDb db;
  int modified = db.modify(address, args.community, args.name, args.newAddress, args.newCommunity, args.text1,
                           args.text2, args.number1, args.number2, args.number3, args.state);
  switch (modified) {
    case kCvDbDone:
      setResult(result, MRR_TYPE_Success);
      if (!sameAddress(address, args.newAddress)) renameHostBooks(address, args.newAddress);
      break;
    case kCvDbNotFound:
      setResult(result, MRR_TYPE_CvNotFound_Error, "Dispatcher::modifyCvHost::MRR_TYPE_CvNotFound_Error");
      break;
    case kCvDbCommunityMismatch:
      setResult(result, MRR_TYPE_Community_Error, "Dispatcher::modifyCvHost::MRR_TYPE_Community_Error");
      break;
    default:  // kCvDbAddressTaken: the new address belongs to another host; or ".cvdb" failed
      setResult(result, MRR_TYPE_Unknow_Error, "Dispatcher::modifyCvHost::MRR_TYPE_Unknow_Error");
      break;
  }
  console.sendMRR(result);
}

}  // namespace cvlm
