// Requests 11 and 12: reading and replacing the e-mail alert settings kept
// in ".cvlmrc".
#include <vector>

#include "server/email_settings.h"
#include "server/log.h"
#include "server/request_records.h"
#include "server/requests/handlers.h"

namespace cvlm {

void getEMailInfo(UISocket& console, const RqH&, MgrRequestResult& result) {
  ObjCvLm settings;
  result.setPayload(settings.mailInfoBlock());
  answer(console, result, MRR_TYPE_Success);
  // Entries 1 to m as one unit (sendToUI XORs in place, so send a copy).
  std::vector<MailEntry> entries(settings.mailEntries(), settings.mailEntries() + settings.mailCount());
  console.sendToUI(entries.data(), entries.size() * sizeof(MailEntry));
}

void setEMailInfo(UISocket& console, const RqH& header, MgrRequestResult& result) {
  MailInfo info = readMailInfo(header.argsAs<MailInfoBlock>());
  if (info.mailCount < 0 || info.mailCount > kMaxMailEntries) {
    answer(console, result, MRR_TYPE_Unknow_Error);
    writeLogf("Dispatcher::setEMailInfo::MRR_TYPE_Unknow_Error (mail count %d)", info.mailCount);
    return;
  }
  // Each entry is its own unit; nothing changes unless all of them arrive.
  std::vector<MailEntry> entries(static_cast<std::size_t>(info.mailCount));
  for (MailEntry& entry : entries) {
    if (console.receive(&entry, sizeof entry) != static_cast<long>(sizeof entry)) {
      answer(console, result, MRR_TYPE_Not_Enough_Data_Error);
      writeLog("Dispatcher::setEMailInfo::MRR_TYPE_Not_Enough_Data_Error");
      return;
    }
  }
  ObjCvLm settings;
  settings.setMailInfo(info, entries.data());
  // Answered only once the file is written.
  if (!settings.save()) {
    answer(console, result, MRR_TYPE_Openfile_Error);
    writeLog("Dispatcher::setEMailInfo::MRR_TYPE_Openfile_Error");
    return;
  }
  answer(console, result, MRR_TYPE_Success);
}

}  // namespace cvlm
