// Operator notices in place of message boxes. A notice never blocks the caller:
// the console build writes it to standard error, the service build to its
// event sink, and tests can install their own sink.
#pragma once

#include <functional>
#include <string>

namespace platform {

using NoticeSink = std::function<void(const std::string& title, const std::string& text)>;

// Shows a notice through the current sink (standard error by default).
void showNotice(const std::string& title, const std::string& text);

// Replaces the sink; returns the previous one. An empty sink restores standard error.
NoticeSink setNoticeSink(NoticeSink sink);

// A sink that reports notices as information events of the named source.
NoticeSink eventLogNoticeSink(const std::string& source);

// The system's message text for an errno value.
std::string systemErrorText(int error);

}  // namespace platform
