// Text rules of saving a report: the messages that say why a report was not
// saved, and the refusals. No operating system here; the Win32 side is app/safesave.
#pragma once

#include <string>

// "The report was not saved to "<path>" because <reason>. <I/O error text>":
// the reason in words, then the I/O error text of the code as the failure
// display has always shown it (it appends the final full stop).
// `systemText` is the system's text for the code, used for codes that have
// no reason of their own; it may be empty.
std::string ReportNotSavedMessage(const std::string& path, unsigned long code, const std::string& systemText);
// The reason alone, lower case, without a final full stop.
std::string SaveFailureReason(unsigned long code, const std::string& systemText);

// Refusals, before anything is written. Each names the target and ends with a
// full stop.
std::string DeviceTargetMessage(const std::string& path);
std::string InspectedTargetMessage(const std::string& path);
std::string TooLongTargetMessage(const std::string& path);

