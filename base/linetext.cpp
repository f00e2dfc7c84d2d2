#include "base/linetext.h"

namespace {

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool HasControl(const std::string& text) {
    for (char c : text)
        if (IsControl(c)) return true;
    return false;
}

std::string Blanked(std::string text) {
    for (char& c : text)
        if (IsControl(c)) c = ' ';
    return text;
}

// The backslash in front, then `text` with a backslash, LF and CR escaped,
// and every other control character too when `allControls`.
std::string Escaped(const std::string& text, bool allControls) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "\\";
    out.reserve(text.size() + 1);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (!allControls || !IsControl(c)) {
            out += c;
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

}  // namespace

std::string OnOneLine(const std::string& text, LineRule rule) {
    switch (rule) {
        case LineRule::ConsoleMessage:
            return HasControl(text) ? Escaped(text, true) : text;
        case LineRule::ChecksumFileName:
            return text.find_first_of("\\\n\r") != std::string::npos ? Escaped(text, false) : text;
        case LineRule::WindowRow:
        case LineRule::ReportLine:
            break;
    }
    return Blanked(text);
}
