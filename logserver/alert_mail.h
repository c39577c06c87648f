// The alert mail text sent after DATA: the subject, the header and one block
// per alert, each part sent as one piece, then the end-of-data line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "logserver/log_records.h"
#include "logserver/rule_backup.h"

namespace halvern {

inline constexpr const char* kEndOfData = ".\r\n";

// "Subject: IDS(a.b.c.d) Mail Alert: Attack Occured \r\n".
std::string alertSubject(const Ipv4Address& sensor);
// "\nRecorded attack information from IDS (a.b.c.d): \n\n\r\n".
std::string alertHeader(const Ipv4Address& sensor);
// One alert's block, naming the attack from the rules.
std::string alertBlock(const AlertRecord& alert, const std::vector<RuleNameSlot>& rules);

// Subject, header and one block per alert, in the order they are sent.
std::vector<std::string> alertMail(const AlertRecord* alerts, int count, const Ipv4Address& sensor,
                                   const std::vector<RuleNameSlot>& rules);

}  // namespace halvern
