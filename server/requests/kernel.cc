// Requests 22, 29 and 30: the kernel image push and the kernel parameters,
// each one command over its own sensor connection.
#include "server/requests/kernel.h"

#include <cstring>
#include <new>

#include "server/constants.h"
#include "server/cv_host.h"
#include "server/log.h"
#include "server/requests/handlers.h"
#include "server/requests/sensor_exchange.h"
#include "server/sensor/checksum.h"
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

void answerKernel(UISocket& console, MgrRequestResult& result, std::int32_t type, std::int32_t detail) {
  result.setPayload(KernelResult{detail});
  answer(console, result, type);
}

}  // namespace

void putCVKernel(UISocket& console, const RqH& header, MgrRequestResult& result) {
  PutCVKernelArgs args = header.argsAs<PutCVKernelArgs>();
  const std::uint8_t* address = args.address;
  const std::int32_t size = args.imageSize;
  writeLogf("Dispatcher::putCVKernel() %d.%d.%d.%d, %d, %d", address[0], address[1], address[2], address[3], size,
            args.loggedValue);

  KernelImage image = receiveKernelImage(console, size);
  if (image.status == KernelReceive::Unusable) {
    writeLog("Dispatcher::putCVKernel::Unknown buffer size read from UI.");
    writeLog("Dispatcher::putCVKernel::uiSock->recvFromUI(buf, fileSize); error");
    answerKernel(console, result, MRR_TYPE_Kernel_Receive, MRR_TYPE_UILmSocket_Error);
    writeLog("Dispatcher::putCVKernel::MRR_TYPE_UILmSocket_Error");
    return;
  }
  if (image.status == KernelReceive::Short) {
    answerKernel(console, result, MRR_TYPE_Kernel_Receive, MRR_TYPE_LmGetKernel_Error);
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
  answerKernel(console, result, outcome.type, outcome.detail);
}

void setCvKparam(UISocket& console, const RqH& header, MgrRequestResult& result) {
  SetCvKparamArgs args = header.argsAs<SetCvKparamArgs>();
  const std::uint8_t* address = args.address;
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
        link.sendBlock(args.parameters, sizeof args.parameters);
        requireAccepted(link.receiveReply());
      });
  answer(console, result, failure ? failure : MRR_TYPE_KparamWritten);
}

void getCvKparam(UISocket& console, const RqH& header, MgrRequestResult& result) {
  SensorArgs args = header.argsAs<SensorArgs>();
  const std::uint8_t* address = args.address;
  const std::string text = cvAddressText(address);
  writeLogf("Dispatcher::getCvKparam() : %s", text.c_str());
  // Zero after the bytes the sensor sent.
  GetCvKparamResult parameters{};
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
        link.receiveData(parameters.parameters, *announced);
      });
  if (!failure) result.setPayload(parameters);
  answer(console, result, failure ? failure : MRR_TYPE_KparamRead);
}

}  // namespace cvlm
