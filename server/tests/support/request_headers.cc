// Request headers at the console protocol's byte offsets.
#include "server/tests/support/request_headers.h"

#include <algorithm>
#include <cstring>

#include "formats/byte_order.h"

namespace cvlm_testing {

namespace {

void putBytes(cvlm::RqH& header, std::size_t offset, std::string_view bytes, std::size_t most) {
  std::memcpy(header.bytes() + offset, bytes.data(), std::min(bytes.size(), most));
}

void putAddress(cvlm::RqH& header, std::size_t offset, std::uint32_t address) {
  std::memcpy(header.bytes() + offset, &address, sizeof address);
}

}  // namespace

cvlm::RqH makeHeader(std::int32_t type) {
  cvlm::RqH header{};
  formats::putInt32(&header, 4, type);
  return header;
}

cvlm::RqH sensorHeader(std::int32_t type, std::uint32_t address) {
  cvlm::RqH header = makeHeader(type);
  putAddress(header, 8, address);
  return header;
}

cvlm::RqH credentials(std::int32_t type, const std::string& name, const std::string& password) {
  cvlm::RqH header = makeHeader(type);
  putBytes(header, 8, name, 30);
  putBytes(header, type == cvlm::RQ_ChangePasswd ? 40 : 38, password, 30);
  return header;
}

cvlm::RqH withAccount(std::int32_t type, std::string_view account) {
  cvlm::RqH header = makeHeader(type);
  putBytes(header, 8, account, 144);
  return header;
}

cvlm::RqH uploadBookHeader(std::int32_t bookType, std::int32_t count, std::int32_t recordSize, std::uint32_t sensor,
                           bool push) {
  cvlm::RqH header = makeHeader(cvlm::RQ_UploadBook);
  formats::putInt32(&header, 8, bookType);
  formats::putInt32(&header, 12, count);
  formats::putInt32(&header, 16, recordSize);
  putAddress(header, 20, sensor);
  header.bytes()[24] = push ? 1 : 0;
  return header;
}

cvlm::RqH downloadBookHeader(std::int32_t bookType, std::int32_t recordSize, std::uint32_t sensor) {
  cvlm::RqH header = makeHeader(cvlm::RQ_DownloadBook);
  formats::putInt32(&header, 8, bookType);
  formats::putInt32(&header, 12, recordSize);
  putAddress(header, 16, sensor);
  return header;
}

cvlm::RqH fileHeader(std::int32_t type, std::string_view name, std::int32_t size) {
  cvlm::RqH header = makeHeader(type);
  putBytes(header, 8, name, 64);
  formats::putInt32(&header, 72, size);
  return header;
}

cvlm::RqH addHostHeader(std::uint32_t address, const HostRequest& host) {
  cvlm::RqH header = makeHeader(cvlm::RQ_AddCvHost);
  formats::putText(&header, 8, 32, host.name);
  putAddress(header, 40, address);
  formats::putText(&header, 44, 32, host.community);
  formats::putText(&header, 76, 32, host.text1);
  formats::putText(&header, 108, 32, host.text2);
  formats::putInt32(&header, 140, host.number1);
  formats::putInt32(&header, 144, host.number2);
  return header;
}

cvlm::RqH modifyHostHeader(std::uint32_t address, std::uint32_t newAddress, const std::string& community,
                           const HostRequest& host) {
  cvlm::RqH header = makeHeader(cvlm::RQ_ModifyCvHost);
  putAddress(header, 8, address);
  putAddress(header, 12, newAddress);
  formats::putText(&header, 16, 32, community);
  formats::putText(&header, 48, 32, host.name);
  formats::putText(&header, 80, 32, host.community);
  formats::putText(&header, 112, 32, host.text1);
  formats::putText(&header, 144, 32, host.text2);
  formats::putInt32(&header, 176, host.number1);
  formats::putInt32(&header, 180, host.number2);
  formats::putInt32(&header, 184, host.number3);
  header.bytes()[188] = host.state;
  return header;
}

cvlm::RqH mailSettingsHeader(std::int32_t count, const std::string& server, const std::string& sender,
                             const std::string& user, const std::array<std::uint8_t, 4>& options) {
  cvlm::RqH header = makeHeader(cvlm::RQ_SetEMailInfo);
  formats::putInt32(&header, 8, count);
  formats::putText(&header, 12, 32, server);
  formats::putText(&header, 44, 32, sender);
  formats::putText(&header, 76, 32, user);
  std::memcpy(header.bytes() + 108, options.data(), options.size());
  return header;
}

cvlm::RqH kernelHeader(std::uint32_t sensor, std::int32_t size, std::int32_t logged) {
  cvlm::RqH header = sensorHeader(cvlm::RQ_PutCVKernel, sensor);
  formats::putInt32(&header, 12, size);
  formats::putInt32(&header, 16, logged);
  return header;
}

cvlm::RqH setKparamHeader(std::uint32_t sensor, std::string_view parameters) {
  cvlm::RqH header = sensorHeader(cvlm::RQ_SetCvKparam, sensor);
  putBytes(header, 12, parameters, 187 - 4);
  return header;
}

}  // namespace cvlm_testing
