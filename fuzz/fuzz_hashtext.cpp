// Fuzz target for reading published hashes: the clipboard's FindHash and the
// checksum files' ParseHashLine and HashListReader, on any bytes. Besides
// memory safety it checks the properties both readers must keep: what they
// find is well formed, a checksum line written back by FormatHashLine reads
// as the same entry, the reader gives the same lines however the bytes are
// split, and the CRC comparison accepts the usual form of the row it came from.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/linetext.h"
#include "components/hashlist.h"
#include "components/hashtext.h"
#include "fuzz/check.h"

namespace {

// Hex digits of a value of `kind`: its full length, or for BLAKE2b any whole
// number of bytes up to 64 (BLAKE2b-256 and the like).
bool FitsKind(const std::string& hex, DigestKind kind) {
    if (kind == DigestKind::BLAKE2b) return !hex.empty() && hex.size() % 2 == 0 && hex.size() <= HexDigitsOf(kind);
    return hex.size() == HexDigitsOf(kind);
}

bool IsUpperHex(const std::string& s) {
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

void CheckFound(std::string_view text) {
    const FoundHash h = FindHash(text);
    if (h.kind == DigestKind::None) {
        FUZZ_CHECK(h.text.empty());
        return;
    }
    FUZZ_CHECK(IsUpperHex(h.text));
    FUZZ_CHECK(h.isHex || h.isDecimal);
    if (h.kind != DigestKind::CRC32) {
        FUZZ_CHECK(h.isHex && !h.isDecimal);
        FUZZ_CHECK(FitsKind(h.text, h.kind));
    } else {
        FUZZ_CHECK(h.text.size() >= 1 && h.text.size() <= 10);
        if (h.isHex) FUZZ_CHECK(CrcMatches(h, std::to_string(static_cast<std::uint32_t>(~h.hexValue))));
        if (h.isDecimal) FUZZ_CHECK(CrcMatches(h, std::to_string(h.decimalValue)));
    }
    // Blanks around the text change nothing.
    const FoundHash padded = FindHash(" \t" + std::string(text) + " \r\n");
    FUZZ_CHECK(padded.kind == h.kind && padded.text == h.text);
}

void CheckLine(std::string_view text) {
    HashLine line;
    const LineKind kind = ParseHashLine(text, line);
    if (kind == LineKind::Unsupported) {
        // A tag of another algorithm: its name and tag, no kind, no digest.
        FUZZ_CHECK(line.kind == DigestKind::None && line.digest.empty());
        FUZZ_CHECK(!line.name.empty() && !line.tag.empty());
        return;
    }
    if (kind != LineKind::Entry) {
        FUZZ_CHECK(line.kind == DigestKind::None && line.name.empty());
        return;
    }
    FUZZ_CHECK(line.kind != DigestKind::None);
    FUZZ_CHECK(FitsKind(line.digest, line.kind) && IsUpperHex(line.digest));
    FUZZ_CHECK(!line.name.empty());
    if (line.form == HashLineForm::Sfv) FUZZ_CHECK(line.kind == DigestKind::CRC32);
    const std::string written = FormatHashLine(line);
    HashLine back;
    FUZZ_CHECK(ParseHashLine(written, back) == LineKind::Entry);
    FUZZ_CHECK(back.kind == line.kind && back.digest == line.digest && back.name == line.name &&
               back.form == line.form && back.binary == line.binary);
    for (LineRule rule : {LineRule::WindowRow, LineRule::ReportLine, LineRule::ConsoleMessage})
        FUZZ_CHECK(OnOneLine(line.name, rule).find_first_of("\r\n") == std::string::npos);
}

struct Seen {
    LineKind kind;
    DigestKind hash;
    std::string digest, name;
    bool operator==(const Seen& o) const {
        return kind == o.kind && hash == o.hash && digest == o.digest && name == o.name;
    }
};

std::vector<Seen> ReadSplit(const std::uint8_t* data, std::size_t size, std::size_t salt) {
    std::vector<Seen> seen;
    HashListReader reader([&](std::size_t n, LineKind kind, const HashLine& line) {
        FUZZ_CHECK(n == seen.size() + 1);
        seen.push_back({kind, line.kind, line.digest, line.name});
    });
    const char* p = reinterpret_cast<const char*>(data);
    std::size_t at = 0;
    for (std::size_t i = salt; at < size; ++i) {
        std::size_t len = salt == 0 ? size : 1 + data[i % size] % 13;
        if (len > size - at) len = size - at;
        reader.Feed(p + at, len);
        at += len;
    }
    reader.Finish();
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckFound(text);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i < size && text[i] != '\n') continue;
        const std::string_view line = text.substr(start, i - start);
        CheckLine(line);
        CheckFound(line);
        start = i + 1;
    }
    if (size > 0) {
        const std::vector<Seen> whole = ReadSplit(data, size, 0);
        FUZZ_CHECK(ReadSplit(data, size, 1) == whole);
        FUZZ_CHECK(ReadSplit(data, size, 7) == whole);
    }
    return 0;
}
