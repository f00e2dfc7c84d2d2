#include "base/errors.h"

#include <windows.h>

#include "base/messages.h"

namespace base {

EInOutError::EInOutError(unsigned long code) : Exception(IOErrorMessage(code)), code_(code) {}

std::string SystemErrorText(unsigned long code) {
    char buffer[256] = {};
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        nullptr, code, 0, buffer, sizeof buffer, nullptr);
    return std::string(buffer, n);
}

}  // namespace base
