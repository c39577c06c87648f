// Requests 22, 29 and 30: the kernel image push and the kernel parameters,
// each one command over its own sensor connection.
#include "server/requests/kernel.h"

#include <cstring>
#include <new>

#include "formats/byte_order.h"
#include "server/constants.h"
#include "server/cv_host.h"
#include "server/dispatcher.h"
#include "server/file_helpers.h"
#include "server/log.h"
#include "server/requests/sensor_exchange.h"
#include "server/sensor/sensor_link.h"

namespace cvlm {

KernelPushResult kernelPushResult(std::int32_t rrtype) {
  switch (rrtype) {
    case kRrtypeAccepted:
      return {MRR_TYPE_Kernel_Accepted, 0, true};
    case 26:
      return {MRR_TYPE_Kernel_Failed, 23, true};
    case 27:
      return {MRR_TYPE_Kernel_Failed, 24, true};
    case 28:
      return {MRR_TYPE_Kernel_Failed, 25, true};
    default:
      return {MRR_TYPE_Kernel_Accepted, 0, false};
  }
}

KernelImage receiveKernelImage(UISocket& connection, std::int32_t size) {
  KernelImage image;
  if (size <= 0 || size > kMaxKernelImageBytes) return image;
  long got = -1;
  try {
    got = connection.receiveGrowing(image.bytes, static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    got = -1;
  }
  if (got <= 0) {
    image.status = KernelReceive::Unusable;
  } else if (static_cast<std::size_t>(got) < static_cast<std::size_t>(size)) {
    image.status = KernelReceive::Short;
  } else {
    image.status = KernelReceive::Received;
    return image;
  }
  image.bytes.clear();
  image.bytes.shrink_to_fit();
  return image;
}

std::optional<std::size_t> kparamReplyLength(std::int32_t value1, std::int32_t value2) {
  // Each factor fits 32 bits, so their product fits 63; the doubling is
  // checked against the bound before it is done.
  std::int64_t product = static_cast<std::int64_t>(value1) * value2;
  if (product < 0 || product > static_cast<std::int64_t>(kKparamReplyMax / 2)) return std::nullopt;
  return static_cast<std::size_t>(product * 2);
}

namespace {

void answerKernel(MgrRequestResult& result, std::int32_t type, std::int32_t detail) {
  formats::putInt32(&result, 4, type);
  formats::putInt32(&result, 8, detail);
}

}  // namespace

void Dispatcher::putCVKernel(RqH& header, MgrRequestResult& result) {
  const std::uint8_t* address = header.args;
  const std::int32_t size = formats::getInt32(&header, 12);
  writeLogf("Dispatcher::putCVKernel() %d.%d.%d.%d, %d, %d", address[0], address[1], address[2], address[3], size,
            formats::getInt32(&header, 16));

  KernelImage image = receiveKernelImage(connection_, size);
  if (image.status == KernelReceive::Unusable) {
    writeLog("Dispatcher::putCVKernel::Unknown buffer size read from UI.");
    writeLog("Dispatcher::putCVKernel::uiSock->recvFromUI(buf, fileSize); error");
    answerKernel(result, MRR_TYPE_Kernel_Receive, MRR_TYPE_UILmSocket_Error);
    sendMRR(result);
    writeLog("Dispatcher::putCVKernel::MRR_TYPE_UILmSocket_Error");
    return;
  }
  if (image.status == KernelReceive::Short) {
    answerKernel(result, MRR_TYPE_Kernel_Receive, MRR_TYPE_LmGetKernel_Error);
    sendMRR(result);
    writeLog("Dispatcher::putCVKernel::MRR_TYPE_LmGetKernel_Error");
    return;
  }

  const std::uint16_t checksum = inetChecksum(image.bytes.data(), image.bytes.size());
  cvrh request{};
  request.command = CVRH_PutKernel;
  sensorIdOf(address, request.sensorId);
  request.param1 = size;
  request.param2 = checksum;
  writeLogf("Dispatcher::putCVKernel::cvrh data: %d, %d, %d", CVRH_PutKernel, size, checksum);

  KernelPushResult outcome = kKernelLinkFailure;
  std::int32_t failure = exchangeWithSensor(
      {"Dispatcher::putCVKernel:: Exception: CreateSocketException",
       "Dispatcher::putCVKernel:: Exception: WriteToSocketException",
       "Dispatcher::putCVKernel:: Exception: ReadFromSocketException"},
      [&] {
        CSocket link(cvAddressText(address));
        link.connectSensor();
        link.sendRequest(request);
        link.sendBlock(image.bytes.data(), image.bytes.size());
        cvret reply = link.receiveReply();
        writeLogf("Dispatcher::putCVKernel::receive Corvane response ok, cvret.rrtype=%d", reply.rrtype);
        outcome = kernelPushResult(reply.rrtype);
        if (!outcome.listed) {
          writeLogf("Dispatcher::putCVKernel::unexpected cvret.rrtype=%d taken as accepted", reply.rrtype);
        }
      });
  if (failure) writeLog("Dispatcher::putCVKernel::MRR_TYPE_LmKernelSocketError");
  answerKernel(result, outcome.type, outcome.detail);
  sendMRR(result);
}

void Dispatcher::setCvKparam(RqH& header, MgrRequestResult& result) {
  const std::uint8_t* address = header.args;
  const std::string text = cvAddressText(address);
  writeLogf("Dispatcher::setCvKparam() : %s", text.c_str());
  cvrh request{};
  request.command = CVRH_SetKparam;
  sensorIdOf(address, request.sensorId);
  request.param1 = kKparamWords;
  request.param2 = kKparamWordSize;
  std::int32_t failure = exchangeWithSensor(
      {"Dispatcher::setCvKparam::MRR_TYPE_ConnectCV_Error", "Dispatcher::setCvKparam::MRR_TYPE_WriteToCV_Error",
       "Dispatcher::setCvKparam::MRR_TYPE_ReadFromCV_Error"},
      [&] {
        CSocket link(text);
        link.connectSensor();
        link.sendRequest(request);
        link.sendBlock(header.bytes() + kKparamRequestOffset, kKparamBlockSize);
        requireAccepted(link.receiveReply());
      });
  formats::putInt32(&result, 4, failure ? failure : MRR_TYPE_KparamWritten);
  sendMRR(result);
}

void Dispatcher::getCvKparam(RqH& header, MgrRequestResult& result) {
  const std::uint8_t* address = header.args;
  const std::string text = cvAddressText(address);
  writeLogf("Dispatcher::getCvKparam() : %s", text.c_str());
  std::uint8_t parameters[kKparamReplyMax];
  std::size_t length = 0;
  std::int32_t failure = exchangeWithSensor(
      {"Dispatcher::getCvKparam::MRR_TYPE_ConnectCV_Error", "Dispatcher::getCvKparam::MRR_TYPE_WriteToCV_Error",
       "Dispatcher::getCvKparam::MRR_TYPE_ReadFromCV_Error"},
      [&] {
        CSocket link(text);
        link.connectSensor();
        cvrh request{};
        request.command = CVRH_GetKparam;
        sensorIdOf(address, request.sensorId);
        link.sendRequest(request);
        cvret reply = link.receiveReply();
        writeLogf("return=%d\n", reply.rrtype);
        requireAccepted(reply);
        // The announced length must fit the result payload.
        std::optional<std::size_t> announced = kparamReplyLength(reply.value1, reply.value2);
        if (!announced) throw ReadFromSocketException{};
        link.receiveData(parameters, *announced);
        length = *announced;
      });
  if (failure) {
    formats::putInt32(&result, 4, failure);
  } else {
    formats::putInt32(&result, 4, MRR_TYPE_KparamRead);
    std::memcpy(result.bytes() + kKparamResultOffset, parameters, length);
  }
  sendMRR(result);
}

}  // namespace cvlm
