#include "components/hashlist.h"

#include <cstring>
#include <string_view>

#include "base/asciitext.h"

void HashListReader::Feed(const char* data, std::size_t size) {
    static constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
    while (size > 0) {
        // The mark is looked at byte by byte, and only at the very start.
        if (fed_ < 3) {
            const char c = *data++;
            --size;
            ++fed_;
            if (c == '\n') {
                EndLine();
                continue;
            }
            line_ += c;
            if (fed_ == 3 && line_ == kByteOrderMark) line_.clear();
            continue;
        }
        const char* end = static_cast<const char*>(std::memchr(data, '\n', size));
        const std::size_t run = end ? static_cast<std::size_t>(end - data) : size;
        if (overlong_) {
            KeepTail(data, run);
        } else if (line_.size() + run > kMaxLine) {
            // The start and the end of the line are kept: with them a line
            // of any form still names a file.
            overlong_ = true;
            const std::size_t head = kMaxLine - line_.size();
            line_.append(data, head);
            KeepTail(data + head, run - head);
        } else {
            line_.append(data, run);
        }
        fed_ += run;
        data += run;
        size -= run;
        if (end) {
            ++fed_;
            ++data;
            --size;
            EndLine();
        }
    }
}

void HashListReader::KeepTail(const char* data, std::size_t size) {
    if (size >= kTail) {
        tail_.assign(data + size - kTail, kTail);
        return;
    }
    tail_.append(data, size);
    if (tail_.size() > kTail) tail_.erase(0, tail_.size() - kTail);
}

void HashListReader::Finish() {
    if (!line_.empty() || overlong_) EndLine();
}

void HashListReader::EndLine() {
    ++number_;
    HashLine line;
    // Of a line beyond kMaxLine, its start and end read as one line: what is
    // left out lies inside the name, if the line names a file.
    if (overlong_) line_ += tail_;
    LineKind kind = ParseHashLine(line_, line, spacing_, listKind_);
    if (overlong_) {
        line.nameCut = kind == LineKind::Entry;
        overlong_ = false;
        tail_.clear();
    }
    if (kind == LineKind::Entry && listKind_ != DigestKind::None && line.kind != listKind_)
        kind = LineKind::Malformed;
    // As the GNU tools count them, only an empty line and a '#' at the very
    // start make no entry: a line of blanks is improperly formatted, and in a
    // list of one of their kinds so is a ';' line or an indented '#'. SFV
    // files keep their ';' comments.
    if (kind == LineKind::NoEntry && listKind_ != DigestKind::CRC32) {
        std::string_view text(line_);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        const bool blanks = !text.empty() && text.find_first_not_of(" \t") == std::string_view::npos;
        if (blanks || (listKind_ != DigestKind::None && !text.empty() && text[0] != '#'))
            kind = LineKind::Malformed;
    }
    if (kind != LineKind::Entry && kind != LineKind::Unsupported) line = HashLine();
    line_.clear();
    if (line_.capacity() > 4096) line_.shrink_to_fit();
    onLine_(number_, kind, line);
}

DigestKind ListKindOfName(const std::string& fileName) {
    const std::string name = LastNamePart(fileName);
    struct Said {
        const char* sums;
        const char* ext;
        DigestKind kind;
    };
    static constexpr Said kSaid[] = {
        {"SHA256SUMS", ".sha256", DigestKind::SHA256}, {"SHA1SUMS", ".sha1", DigestKind::SHA1},
        {"MD5SUMS", ".md5", DigestKind::MD5},          {"SHA384SUMS", ".sha384", DigestKind::SHA384},
        {"SHA512SUMS", ".sha512", DigestKind::SHA512}, {"B2SUMS", ".b2", DigestKind::BLAKE2b},
        {"B3SUMS", ".b3", DigestKind::BLAKE3},         {nullptr, ".blake3", DigestKind::BLAKE3},
        {nullptr, ".sfv", DigestKind::CRC32}};
    for (const Said& said : kSaid) {
        if (said.sums && (EqualCaseBlindAscii(name, said.sums) ||
                          EqualCaseBlindAscii(name, std::string(said.sums) + ".txt")))
            return said.kind;
        const std::size_t ext = std::char_traits<char>::length(said.ext);
        if (name.size() > ext && EqualCaseBlindAscii(name.substr(name.size() - ext), said.ext))
            return said.kind;
    }
    return DigestKind::None;
}

std::string ListedNameProblem(const std::string& name) {
    if (name.empty()) return "the name is empty";
    // The long-path and device prefixes carry a '?' of their own.
    const std::size_t from = name.compare(0, 4, "\\\\?\\") == 0 || name.compare(0, 4, "//?/") == 0 ? 4 : 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F) return "no Windows file can have a control character in its name";
        if (i >= from && (c == '<' || c == '>' || c == '"' || c == '|' || c == '*' || c == '?'))
            return std::string("no Windows file can have ") + static_cast<char>(c) + " in its name";
    }
    return std::string();
}

bool IsRootedName(const std::string& name) {
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) return true;
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z'));
}

std::string LastNamePart(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::vector<std::string> ChecksumFileNamesFor(const std::string& fileName) {
    std::vector<std::string> names = {"SHA256SUMS", "SHA256SUMS.txt", "SHA1SUMS",  "SHA1SUMS.txt",
                                      "MD5SUMS",    "MD5SUMS.txt",    "CHECKSUMS", "checksums.txt"};
    // The wider kinds come after the names the window always looked at, so
    // that the tooltips of existing folders keep their order.
    for (const char* sums : {"SHA512SUMS", "SHA384SUMS", "B2SUMS", "B3SUMS"}) {
        names.push_back(sums);
        names.push_back(std::string(sums) + ".txt");
    }
    for (const char* ext :
         {".sha256", ".sha1", ".md5", ".sfv", ".sha512", ".sha384", ".b2", ".b3", ".blake3"})
        names.push_back(fileName + ext);
    return names;
}

bool IsChecksumFileOf(const std::string& sumFileName, const std::string& fileName) {
    for (const char* ext : {".sha256", ".sha1", ".md5", ".sha512", ".sha384", ".b2", ".b3", ".blake3"})
        if (EqualCaseBlindAscii(sumFileName, fileName + ext)) return true;
    return false;
}
