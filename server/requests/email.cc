// Requests 11 and 12: reading and replacing the e-mail alert settings kept
// in ".cvlmrc".
#include <vector>

#include "formats/byte_order.h"
#include "server/dispatcher.h"
#include "server/email_settings.h"
#include "server/log.h"

namespace cvlm {

void Dispatcher::getEMailInfo(RqH&, MgrRequestResult& result) {
  writeLog("Dispatcher::getEMailInfo()");
  ObjCvLm settings;
  settings.putMailInfo(&result, kPayloadOffset);
  formats::putInt32(&result, 4, MRR_TYPE_Success);
  sendMRR(result);
  // Entries 1 to m as one unit (sendToUI XORs in place, so send a copy).
  std::vector<MailEntry> entries(settings.mailEntries(), settings.mailEntries() + settings.mailCount());
  connection_.sendToUI(entries.data(), entries.size() * sizeof(MailEntry));
}

void Dispatcher::setEMailInfo(RqH& header, MgrRequestResult& result) {
  writeLog("Dispatcher::setEMailInfo()");
  MailInfo info = readMailInfo(&header, kArgsOffset);
  if (info.mailCount < 0 || info.mailCount > kMaxMailEntries) {
    formats::putInt32(&result, 4, MRR_TYPE_Unknow_Error);
    sendMRR(result);
    writeLogf("Dispatcher::setEMailInfo::MRR_TYPE_Unknow_Error (mail count %d)", info.mailCount);
    return;
  }
  // Each entry is its own unit; nothing changes unless all of them arrive.
  std::vector<MailEntry> entries(static_cast<std::size_t>(info.mailCount));
  for (MailEntry& entry : entries) {
    if (connection_.receive(&entry, sizeof entry) != static_cast<long>(sizeof entry)) {
      formats::putInt32(&result, 4, MRR_TYPE_Not_Enough_Data_Error);
      sendMRR(result);
      writeLog("Dispatcher::setEMailInfo::MRR_TYPE_Not_Enough_Data_Error");
      return;
    }
  }
  ObjCvLm settings;
  settings.setMailInfo(info, entries.data());
  // Answered only once the file is written.
  if (!settings.save()) {
    formats::putInt32(&result, 4, MRR_TYPE_Openfile_Error);
    sendMRR(result);
    writeLog("Dispatcher::setEMailInfo::MRR_TYPE_Openfile_Error");
    return;
  }
  formats::putInt32(&result, 4, MRR_TYPE_Success);
  sendMRR(result);
}

}  // namespace cvlm
