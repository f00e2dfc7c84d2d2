#include "components/versiontext.h"

#include <charconv>
#include <cstdio>
#include <system_error>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a decimal number of the form [spaces][sign]digits[sep digits][e[sign]digits]
// followed by trailing spaces only when allowTrailingSpaces. The text is
// rewritten with '.' as the separator and converted by std::from_chars, which
// rounds correctly and never looks at the C locale.
bool ParseDecimal(const std::string& text, const std::string& separator, bool allowTrailingSpaces,
                  double& value) {
    std::string canonical;
    std::string::size_type i = 0;
    const std::string::size_type n = text.size();

    while (i < n && text[i] == ' ') ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') canonical += '-';
        ++i;
    }

    bool digits = false;
    while (i < n && IsDigit(text[i])) {
        canonical += text[i++];
        digits = true;
    }
    if (!separator.empty() && text.compare(i, separator.size(), separator) == 0) {
        canonical += '.';
        i += separator.size();
        while (i < n && IsDigit(text[i])) {
            canonical += text[i++];
            digits = true;
        }
    }
    if (!digits) return false;

    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        canonical += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
        bool exponentDigits = false;
        while (i < n && IsDigit(text[i])) {
            canonical += text[i++];
            exponentDigits = true;
        }
        if (!exponentDigits) return false;
    }

    if (allowTrailingSpaces) {
        while (i < n && text[i] == ' ') ++i;
    }
    if (i != n) return false;

    double result = 0.0;
    const char* first = canonical.data();
    const char* last = first + canonical.size();
    const auto [end, ec] = std::from_chars(first, last, result);
    if (ec != std::errc() || end != last) return false;
    value = result;
    return true;
}

}  // namespace

double VersionTextToFloat(const std::string& text, const std::string& decimalSeparator) {
    double value = 0.0;
    if (ParseDecimal(text, ".", false, value)) return value;

    // The fallback keeps the "major.minor" head of a dotted version: what
    // stands before the second dot, but only when that dot is among the first
    // six characters, i.e. the head fits the five-character buffer.
    constexpr std::string::size_type kBufferChars = 5;
    // Positions count in the text's own bytes; the separator replaces each
    // dot of the head whatever its length.
    std::string head = "0";
    int dots = 0;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        if (text[i] != '.') continue;
        if (++dots == 2) {
            if (i <= kBufferChars) {
                head.clear();
                for (std::string::size_type j = 0; j < i; ++j) {
                    if (text[j] == '.')
                        head += decimalSeparator;
                    else
                        head += text[j];
                }
            }
            break;
        }
    }
    head = head.substr(0, head.find('\0'));
    if (ParseDecimal(head, decimalSeparator, true, value)) return value;
    return 0.0;
}

std::string StringTablePath(std::uint32_t translation) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "StringFileInfo\\%04X%04X\\",
                  static_cast<unsigned>(translation & 0xFFFFu),
                  static_cast<unsigned>(translation >> 16));
    return buffer;
}

bool MayHoldVersionResource(const unsigned char* head, std::size_t size) {
    if (size < 2) return false;
    static const char kStarts[][3] = {"MZ", "ZM", "SZ", "KW"};
    for (const char* start : kStarts)
        if (head[0] == static_cast<unsigned char>(start[0]) && head[1] == static_cast<unsigned char>(start[1]))
            return true;
    return false;
}
