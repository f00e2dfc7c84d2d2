#include "components/hashtext.h"

#include <cctype>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSpace(char c) { return IsBlank(c) || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool IsDecDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

// Drops a leading "Label:" (letters, digits, '-', '_' and blanks before the
// colon) and the blanks after it.
std::string_view SkipLabel(std::string_view s) {
    const std::size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon == 0) return s;
    bool letter = false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = s[i];
        if (std::isalpha(static_cast<unsigned char>(c))) letter = true;
        else if (!IsDecDigit(c) && c != '-' && c != '_' && !IsBlank(c)) return s;
    }
    if (!letter) return s;
    s.remove_prefix(colon + 1);
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

}  // namespace

FoundHash FindHash(std::string_view text) {
    FoundHash found;
    std::string_view s = SkipLabel(Trim(text));
    std::size_t n = 0;
    while (n < s.size() && IsHexDigit(s[n])) ++n;
    if (n == 0) return found;
    if (n < s.size()) {
        // Only blanks and a file name on the same line may follow.
        if (!IsBlank(s[n])) return found;
        std::string_view rest = s.substr(n);
        while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
        if (rest.find_first_of("\r\n") != std::string_view::npos) return found;
    }
    std::string token(s.substr(0, n));
    for (char& c : token) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    bool decimal = n <= 10;
    std::uint64_t value = 0;
    for (char c : token) {
        if (!IsDecDigit(c)) {
            decimal = false;
            break;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (decimal && value > 0xFFFFFFFFull) decimal = false;

    switch (n) {
    case 32: found.kind = HashKind::MD5; found.isHex = true; break;
    case 40: found.kind = HashKind::SHA1; found.isHex = true; break;
    case 64: found.kind = HashKind::SHA256; found.isHex = true; break;
    case 8:
        found.kind = HashKind::CRC32;
        found.isHex = true;
        found.hexValue = static_cast<std::uint32_t>(std::stoul(token, nullptr, 16));
        break;
    default:
        if (!decimal) return found;
        found.kind = HashKind::CRC32;
        break;
    }
    if (found.kind == HashKind::CRC32 && decimal) {
        found.isDecimal = true;
        found.decimalValue = static_cast<std::uint32_t>(value);
    }
    found.text = std::move(token);
    return found;
}

const char* HashKindName(HashKind kind) {
    switch (kind) {
    case HashKind::CRC32: return "CRC-32";
    case HashKind::MD5: return "MD5";
    case HashKind::SHA1: return "SHA-1";
    case HashKind::SHA256: return "SHA-256";
    default: return "";
    }
}

bool CrcMatches(const FoundHash& hash, const std::string& crcRowText) {
    if (hash.kind != HashKind::CRC32 || crcRowText.empty() || crcRowText.size() > 10) return false;
    std::uint64_t row = 0;
    for (char c : crcRowText) {
        if (!IsDecDigit(c)) return false;
        row = row * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (row > 0xFFFFFFFFull) return false;
    const auto shown = static_cast<std::uint32_t>(row);
    return (hash.isHex && hash.hexValue == static_cast<std::uint32_t>(~shown)) ||
           (hash.isDecimal && hash.decimalValue == shown);
}

bool DigestMatches(const FoundHash& hash, const std::string& digestHex) {
    if (!hash.isHex || hash.text.size() != digestHex.size()) return false;
    for (std::size_t i = 0; i < digestHex.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(digestHex[i])) !=
            static_cast<unsigned char>(hash.text[i]))
            return false;
    return true;
}

std::string VerifyTooltip(HashKind kind, bool matches, const std::string& clipboardHash) {
    std::string tip = HashKindName(kind);
    if (matches) return tip + " matches the clipboard";
    tip += " differs from the clipboard: ";
    if (clipboardHash.size() <= 4) return tip + clipboardHash;
    return tip + clipboardHash.substr(0, 4) + "\xE2\x80\xA6";  // U+2026, horizontal ellipsis
}
