// What a sensor log session hands each alert batch to. The mailer implements
// it; the default does nothing.
#pragma once

#include "logserver/log_records.h"

namespace halvern {

class AlertSink {
 public:
  virtual ~AlertSink() = default;
  // One alert batch: count (0 to 200) decoded records from the sensor whose
  // greeting gave its address. Returns 0 to go on with the session, 1 to end it.
  // Sessions call it from their own threads, several at a time.
  virtual int alertBatch(const AlertRecord* alerts, int count, const Ipv4Address& sensor) = 0;
};

// Takes every batch and goes on.
class NoAlertSink : public AlertSink {
 public:
  int alertBatch(const AlertRecord*, int, const Ipv4Address&) override { return 0; }
};

}  // namespace halvern
