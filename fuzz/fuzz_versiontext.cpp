// Fuzz target for the version-text rules: the reading of a version text as a
// number and the key of a translation's string table.
//
// The whole input is a version text. Its first four bytes, when there are
// four, also give a translation entry.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "components/versiontext.h"
#include "fuzz/check.h"

namespace {

bool SameValue(double a, double b) { return a == b && std::signbit(a) == std::signbit(b); }

// The C library's reading of text made only of number characters: true with
// the value when strtod takes the whole text and reports no range error.
bool ReadWithStrtod(const std::string& text, double& value, bool& rangeError) {
    rangeError = false;
    if (text.empty() || text.find_first_not_of(" +-0123456789.eE") != std::string::npos) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    rangeError = errno == ERANGE;
    return end == text.c_str() + text.size() && end != text.c_str();
}

void CheckVersionTextToFloat(const std::string& text) {
    const double dot = VersionTextToFloat(text, '.');
    const double comma = VersionTextToFloat(text, ',');
    FUZZ_CHECK(std::isfinite(dot));
    FUZZ_CHECK(std::isfinite(comma));

    // Dots are read as the user's separator, so the separator matters only
    // where the text itself holds a comma.
    if (text.find(',') == std::string::npos) FUZZ_CHECK(SameValue(dot, comma));

    const auto first = text.find('.');
    const auto second = first == std::string::npos ? std::string::npos : text.find('.', first + 1);
    if (second == std::string::npos) {
        // At most one dot: a plain number, else nothing.
        double expected = 0.0;
        bool rangeError = false;
        if (ReadWithStrtod(text, expected, rangeError)) {
            if (rangeError)
                FUZZ_CHECK(dot == 0.0 || SameValue(dot, expected));
            else
                FUZZ_CHECK(SameValue(dot, expected));
        } else {
            FUZZ_CHECK(dot == 0.0);
        }
        return;
    }
    // Two dots are never a plain number; only the head before the second dot
    // counts, and only when it fits five characters.
    if (second > 5) {
        FUZZ_CHECK(dot == 0.0);
        FUZZ_CHECK(comma == 0.0);
        return;
    }
    const std::string head = text.substr(0, second + 1);
    FUZZ_CHECK(SameValue(VersionTextToFloat(head, '.'), dot));
    FUZZ_CHECK(SameValue(VersionTextToFloat(head, ','), comma));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void CheckStringTablePath(std::uint32_t translation) {
    const std::string path = StringTablePath(translation);
    const std::string prefix = "StringFileInfo\\";
    FUZZ_CHECK(path.size() == prefix.size() + 8 + 1);
    FUZZ_CHECK(path.compare(0, prefix.size(), prefix) == 0);
    FUZZ_CHECK(path.back() == '\\');
    std::uint32_t language = 0;
    std::uint32_t codePage = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const int d = HexDigit(path[prefix.size() + i]);
        FUZZ_CHECK(d >= 0);
        std::uint32_t& part = i < 4 ? language : codePage;
        part = part * 16 + static_cast<std::uint32_t>(d);
    }
    FUZZ_CHECK(language == (translation & 0xFFFFu));
    FUZZ_CHECK(codePage == translation >> 16);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckVersionTextToFloat(text);
    if (size >= 4) {
        CheckStringTablePath(static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                             static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24);
    }
    return 0;
}
