// Value syntax of machine.ini (numbers, sizes, flags, drive names, host paths,
// dates, registry keys, failure lines) and the cut of the file into sections.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/faults.h"
#include "win/machine_description.h"

namespace win::ini {

// ASCII lower case.
std::string lower(std::string_view s);
// Sets what and returns false (for one-line refusals).
bool refuse(std::string& what, std::string text);
// A decimal number of at most max; nullopt for anything else.
std::optional<std::uint64_t> number(std::string_view text, std::uint64_t max);
// Bytes: a decimal number with an optional K, M or G (powers of 1024).
std::optional<std::uint64_t> size(std::string_view text);
// "0" or "1" into out.
bool flag(const IniEntry& e, bool& out, std::string& what);
// "C", "c" or "C:" as "C"; "\\server\share" as written; nullopt for anything else.
std::optional<std::string> driveName(std::string_view key);
// An absolute host path without its final '/'.
std::optional<std::string> hostPath(std::string_view text);
// The fields of a list, each trimmed.
std::vector<std::string> splitList(std::string_view text, char separator);
// A volume serial "1A2B-3C4D" or "1A2B3C4D".
std::optional<std::uint32_t> serialNumber(std::string_view text);
// "YYYY-MM-DDTHH:MM:SS" (years 1980 to 2099) as a SYSTEMTIME with its day of the week.
std::optional<SYSTEMTIME> dateTime(std::string_view text);
// A registry key "HKLM\path" or "HKEY_LOCAL_MACHINE\path" spelled with the long root name.
std::optional<std::string> registryKey(std::string_view text);
// A [failures] line: "<op> = <pattern>", or "short-write = <pattern> <bytes>".
std::optional<platform::FaultRule> failureRule(std::string_view op, std::string_view value);
// Cuts text into sections; false with the line and what is wrong on a malformed line.
bool splitSections(std::string_view text, std::vector<IniSection>& sections, int& badLine, std::string& what);

}  // namespace win::ini
