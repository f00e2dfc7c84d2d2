#include "base/errors.h"

#include <windows.h>

#include "base/fs.h"
#include "base/messages.h"

namespace base {

EInOutError::EInOutError(unsigned long code) : Exception(IOErrorMessage(code)), code_(code) {}

std::string SystemErrorText(unsigned long code) {
    wchar_t buffer[256] = {};
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr,
        code, 0, buffer, static_cast<DWORD>(sizeof buffer / sizeof buffer[0]), nullptr);
    return fs::Narrow(std::wstring(buffer, n));
}

}  // namespace base
