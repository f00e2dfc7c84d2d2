// Failures are exceptions carrying the message that the user sees.
#pragma once

#include <stdexcept>
#include <string>

namespace base {

// A failure with a message for the user.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// An I/O failure with the Windows error code that caused it; the message is
// chosen by the code.
class EInOutError : public Exception {
public:
    explicit EInOutError(unsigned long code);
    unsigned long code() const { return code_; }

private:
    unsigned long code_;
};

// The system's text for a Windows error code, as FormatMessage gives it.
std::string SystemErrorText(unsigned long code);

}  // namespace base
