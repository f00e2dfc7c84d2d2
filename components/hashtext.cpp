#include "components/hashtext.h"

#include "base/linetext.h"

const char kClipboardSource[] = "the clipboard";
const char kFileChangedSinceLoad[] = "The file changed since it was loaded; load it again to compare";

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSpace(char c) { return IsBlank(c) || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsDecDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDecDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperHex(std::string_view digits) {
    std::string s(digits);
    for (char& c : s) c = Upper(c);
    return s;
}

std::uint32_t HexValue(std::string_view digits) {
    std::uint32_t v = 0;
    for (char c : digits) {
        const char u = Upper(c);
        v = v * 16 + static_cast<std::uint32_t>(IsDecDigit(u) ? u - '0' : u - 'A' + 10);
    }
    return v;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::size_t HexRun(std::string_view s) {
    std::size_t n = 0;
    while (n < s.size() && IsHexDigit(s[n])) ++n;
    return n;
}

DigestKind KindOfLength(std::size_t digits) {
    switch (digits) {
        case 8:
            return DigestKind::CRC32;
        case 32:
            return DigestKind::MD5;
        case 40:
            return DigestKind::SHA1;
        case 64:
            return DigestKind::SHA256;
        case 96:
            return DigestKind::SHA384;
        case 128:
            return DigestKind::SHA512;
        default:
            return DigestKind::None;
    }
}

// --- What a label or tag names ---

enum class Says {
    Nothing,    // no algorithm: the length decides
    Kind,       // one of the kinds computed here
    ShaFamily,  // "SHA" alone: SHA-1 or SHA-256 by length
    OtherKind,  // an algorithm not computed here, or two that disagree
};

struct Meaning {
    Says says = Says::Nothing;
    DigestKind kind = DigestKind::None;
    std::size_t digits = 0;  // hex digits a Kind's value has; 0: the kind's full length
};

// The digits of a kind named with a length it cannot have ("BLAKE2b-255"):
// no value fits.
constexpr std::size_t kNoDigits = static_cast<std::size_t>(-1) / 4;

bool IsSha(DigestKind kind) {
    return kind == DigestKind::SHA1 || kind == DigestKind::SHA256 || kind == DigestKind::SHA384 ||
           kind == DigestKind::SHA512;
}

// Words that name a kind computed here, compared after '-' is dropped and
// letters are upper-cased; a tool's suffix may follow ("MD5SUM", "SHA256HASH").
struct OwnName {
    const char* word;
    Says says;
    DigestKind kind;
};
constexpr OwnName kOwnNames[] = {
    {"SHA256", Says::Kind, DigestKind::SHA256},   {"SHA2256", Says::Kind, DigestKind::SHA256},
    {"SHA2", Says::Kind, DigestKind::SHA256},     {"SHA1", Says::Kind, DigestKind::SHA1},
    {"SHA384", Says::Kind, DigestKind::SHA384},   {"SHA2384", Says::Kind, DigestKind::SHA384},
    {"SHA512", Says::Kind, DigestKind::SHA512},   {"SHA2512", Says::Kind, DigestKind::SHA512},
    {"SHA", Says::ShaFamily, DigestKind::None},   {"MD5", Says::Kind, DigestKind::MD5},
    {"CRC32", Says::Kind, DigestKind::CRC32},     {"CRC", Says::Kind, DigestKind::CRC32},
    {"BLAKE2B", Says::Kind, DigestKind::BLAKE2b}, {"B2", Says::Kind, DigestKind::BLAKE2b},
    {"BLAKE3", Says::Kind, DigestKind::BLAKE3},   {"B3", Says::Kind, DigestKind::BLAKE3},
};
constexpr const char* kSuffixes[] = {"", "SUM", "SUMS", "HASH", "CHECKSUM", "DIGEST"};
// Beginnings of words that name algorithms not computed here.
constexpr const char* kOtherNames[] = {
    "SHA0",   "SHA224", "SHA2224",   "SHA2384",  "SHA2512",     "SHA384", "SHA512", "SHA3",     "SHAKE",
    "MD2",    "MD4",    "MD6",       "CRC8",     "CRC16",       "CRC32C", "CRC64",  "BLAKE",    "B2",
    "RIPEMD", "RMD",    "WHIRLPOOL", "TIGER",    "XXH",         "ADLER",  "GOST",   "STREEBOG", "SM3",
    "KECCAK", "FNV",    "MURMUR",    "ED2K",     "BTIH",        "TTH",    "AICH",   "EDONR",    "HAS160",
    "SNEFRU", "K12",    "KANGAROO",  "CITYHASH", "HIGHWAYHASH", "CKSUM",
};

bool StartsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

Meaning WordMeaning(const std::string& word) {
    Meaning m;
    // BLAKE2b with its length in bits, as cksum writes it: "BLAKE2b-256"
    // (the '-' is dropped), a multiple of 8 up to 512.
    static const std::string kBlake2b = "BLAKE2B";
    if (word.size() > kBlake2b.size() && word.compare(0, kBlake2b.size(), kBlake2b) == 0) {
        std::size_t bits = 0;
        for (std::size_t i = kBlake2b.size(); i < word.size() && bits <= 512; ++i)
            bits = IsDecDigit(word[i]) ? bits * 10 + static_cast<std::size_t>(word[i] - '0') : 1000;
        if (bits > 0 && bits <= 512 && bits % 8 == 0)
            return Meaning{Says::Kind, DigestKind::BLAKE2b, bits / 4};
        return Meaning{Says::Kind, DigestKind::BLAKE2b, kNoDigits};
    }
    for (const OwnName& own : kOwnNames)
        for (const char* suffix : kSuffixes)
            if (word == std::string(own.word) + suffix) {
                m.says = own.says;
                m.kind = own.kind;
                return m;
            }
    for (const char* other : kOtherNames)
        if (StartsWith(word, other)) {
            m.says = Says::OtherKind;
            return m;
        }
    return m;
}

// The meaning of a label's or tag's words together: words are split at
// anything but letters, digits and '-'.
Meaning LabelMeaning(std::string_view label) {
    Meaning all;
    std::string word;
    auto take = [&] {
        if (word.empty()) return;
        const Meaning m = WordMeaning(word);
        word.clear();
        if (m.says == Says::Nothing || all.says == Says::OtherKind) return;
        if (m.says == Says::OtherKind || all.says == Says::Nothing) {
            all = m;
        } else if (all.says == Says::ShaFamily) {
            // "SHA" beside a named kind: the named one, when it is a SHA.
            all = m.says == Says::ShaFamily || IsSha(m.kind) ? m : Meaning{Says::OtherKind, DigestKind::None};
        } else if (m.says == Says::Kind && (m.kind != all.kind || m.digits != all.digits)) {
            all = Meaning{Says::OtherKind, DigestKind::None};
        } else if (m.says == Says::ShaFamily && !IsSha(all.kind)) {
            all = Meaning{Says::OtherKind, DigestKind::None};
        }
    };
    for (char c : label) {
        if (IsLetter(c) || IsDecDigit(c))
            word += Upper(c);
        else if (c != '-')
            take();
    }
    take();
    return all;
}

// The kind of `digits` hex digits under what a label says; None when they
// disagree.
DigestKind KindUnder(const Meaning& m, std::size_t digits) {
    const DigestKind byLength = KindOfLength(digits);
    switch (m.says) {
        case Says::Nothing:
            return byLength;
        case Says::Kind:
            return digits == (m.digits ? m.digits : HexDigitsOf(m.kind)) ? m.kind : DigestKind::None;
        case Says::ShaFamily:
            return IsSha(byLength) ? byLength : DigestKind::None;
        case Says::OtherKind:
            return DigestKind::None;
    }
    return DigestKind::None;
}

// --- Line forms ---

// The kind of an untagged value of `digits` hex digits in a list of the kind
// `untagged` (None: the length decides). BLAKE2b takes any whole number of
// bytes up to 64, as b2sum -c infers the length from the line.
DigestKind UntaggedKind(std::size_t digits, DigestKind untagged) {
    if (untagged == DigestKind::None) return KindOfLength(digits);
    if (untagged == DigestKind::BLAKE2b)
        return digits % 2 == 0 && digits <= HexDigitsOf(untagged) ? untagged : DigestKind::None;
    return digits == HexDigitsOf(untagged) ? untagged : DigestKind::None;
}

// Undoes the escapes of an escaped line's name; false for a backslash that
// starts no known escape.
bool Unescape(std::string_view in, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        if (++i == in.size()) return false;
        switch (in[i]) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return false;
        }
    }
    return true;
}

enum class Form { No, Yes, Bad, Unsupported };

bool IsBase64Char(char c) { return IsLetter(c) || IsDecDigit(c) || c == '+' || c == '/' || c == '='; }

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (IsDecDigit(c)) return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// A value of `bytes` bytes in base64 with its padding, as `cksum --base64`
// writes it, as upper-case hex; false for any other text.
bool Base64ToHex(std::string_view text, std::size_t bytes, std::string& hex) {
    if (bytes == 0 || text.size() != (bytes + 2) / 3 * 4) return false;
    const std::size_t pad = (3 - bytes % 3) % 3;
    hex.clear();
    std::uint32_t bits = 0;
    int held = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i >= text.size() - pad) {
            if (text[i] != '=') return false;
            continue;
        }
        const int v = Base64Value(text[i]);
        if (v < 0) return false;
        bits = (bits << 6) | static_cast<std::uint32_t>(v);
        held += 6;
        if (held >= 8) {
            held -= 8;
            hex += "0123456789ABCDEF"[(bits >> (held + 4)) & 15];
            hex += "0123456789ABCDEF"[(bits >> held) & 15];
        }
    }
    // The bits the padding leaves over must be zero, as the tools write them.
    return hex.size() == bytes * 2 && (bits & ((1u << held) - 1)) == 0;
}

// A BSD tag line, `TAG (name) = value`. `s` starts at the tag. As
// sha256sum reads it, the blank before the parenthesis and those around '='
// may be missing: OpenSSL writes `MD5(name)= hex` and `SHA2-256(name)= hex`.
// The name ends at the last ')'. The value is hex, or base64 as `cksum
// --base64` writes it. Bad when the line has the shape but not the right
// value for its kind, or a tag that names no algorithm; Unsupported when the
// tag names an algorithm not computed here (SHA3-256, SM3).
Form ReadBsd(std::string_view s, bool escaped, HashLine& line) {
    std::size_t t = 0;
    while (t < s.size() && (IsLetter(s[t]) || IsDecDigit(s[t]) || s[t] == '-' || s[t] == '/')) ++t;
    if (t == 0) return Form::No;
    const std::size_t open = t < s.size() && s[t] == ' ' ? t + 1 : t;
    if (open >= s.size() || s[open] != '(') return Form::No;
    const std::size_t close = s.rfind(')');
    if (close == std::string_view::npos || close <= open) return Form::No;
    std::size_t eq = close + 1;
    while (eq < s.size() && IsBlank(s[eq])) ++eq;
    if (eq >= s.size() || s[eq] != '=') return Form::No;
    // Blanks around the value are read leniently, the same way an SFV
    // line's are.
    std::string_view value = s.substr(eq + 1);
    while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
    while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
    if (value.empty()) return Form::No;
    for (char c : value)
        if (!IsBase64Char(c)) return Form::No;
    const std::string_view tag = s.substr(0, t);
    const Meaning meaning = LabelMeaning(tag);
    // Only a tag that names a kind: an unknown word is no tag.
    if (meaning.says != Says::Kind && meaning.says != Says::OtherKind) return Form::Bad;
    const std::string_view name = s.substr(open + 1, close - open - 1);
    if (name.empty()) return Form::Bad;
    if (escaped) {
        if (!Unescape(name, line.name)) return Form::Bad;
    } else {
        line.name = std::string(name);
    }
    if (meaning.says == Says::OtherKind) {
        line.tag = std::string(tag);
        line.form = HashLineForm::Bsd;
        return Form::Unsupported;
    }
    const std::size_t digits = meaning.digits ? meaning.digits : HexDigitsOf(meaning.kind);
    if (value.size() == digits && HexRun(value) == digits)
        line.digest = UpperHex(value);
    else if (!Base64ToHex(value, digits / 2, line.digest))
        return Form::Bad;
    line.kind = meaning.kind;
    line.form = HashLineForm::Bsd;
    return Form::Yes;
}

// A GNU line, `hex  name` or `hex *name`, or as sha256sum also reads it
// `hex name` with one blank. `s` starts at the hex digits. As sha256sum
// does, the first GNU line of a list fixes which of the two it uses: after
// `hex  name`, a line `hex name` is Bad; after `hex name`, the blank or '*'
// after the first blank belongs to the name.
Form ReadGnu(std::string_view s, bool escaped, HashLine& line, GnuSpacing& spacing, DigestKind untagged) {
    const std::size_t n = HexRun(s);
    if (n == 0 || n + 1 >= s.size() || !IsBlank(s[n])) return Form::No;
    const bool marked = n + 2 < s.size() && (s[n + 1] == ' ' || s[n + 1] == '*');
    if (!marked && spacing == GnuSpacing::Marked) return Form::Bad;
    const bool oneBlank = !marked || spacing == GnuSpacing::OneBlank;
    const std::string_view name = s.substr(oneBlank ? n + 1 : n + 2);
    const DigestKind kind = UntaggedKind(n, untagged);
    if (kind == DigestKind::None || name.empty()) return Form::Bad;
    if (escaped) {
        if (!Unescape(name, line.name)) return Form::Bad;
    } else {
        line.name = std::string(name);
    }
    line.kind = kind;
    line.digest = UpperHex(s.substr(0, n));
    line.binary = !oneBlank && s[n + 1] == '*';
    line.form = HashLineForm::Gnu;
    spacing = oneBlank ? GnuSpacing::OneBlank : GnuSpacing::Marked;
    return Form::Yes;
}

// An SFV line, `name crc`, the CRC as 8 hex digits after the last blank.
Form ReadSfv(std::string_view s, HashLine& line) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    const std::size_t blank = s.find_last_of(" \t");
    if (blank == std::string_view::npos) return Form::No;
    const std::string_view crc = s.substr(blank + 1);
    if (crc.size() != 8 || HexRun(crc) != 8) return Form::No;
    std::string_view name = s.substr(0, blank);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    if (name.empty()) return Form::No;
    line.kind = DigestKind::CRC32;
    line.digest = UpperHex(crc);
    line.name = std::string(name);
    line.form = HashLineForm::Sfv;
    return Form::Yes;
}

const char* TagOf(DigestKind kind) { return DigestTagName(kind); }

// The tag of a line: BLAKE2b shorter than its full 512 bits with its
// length, as cksum writes it ("BLAKE2b-256").
std::string TagOf(const HashLine& line) {
    if (line.kind == DigestKind::BLAKE2b && line.digest.size() != HexDigitsOf(DigestKind::BLAKE2b))
        return "BLAKE2b-" + std::to_string(line.digest.size() * 4);
    return TagOf(line.kind);
}

// --- The clipboard's loose forms ---

// The kind a hash of `kind` by its length alone may as well be of.
DigestKind AlsoKindOf(DigestKind kind) {
    if (kind == DigestKind::SHA256) return DigestKind::BLAKE3;
    if (kind == DigestKind::SHA512) return DigestKind::BLAKE2b;
    return DigestKind::None;
}

// Drops a leading "Label:" (letters, digits, '-', '_' and blanks before the
// colon, at least one letter) and the blanks after it; the label goes to
// `label`.
std::string_view SkipLabel(std::string_view s, std::string_view& label) {
    const std::size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon == 0) return s;
    bool letter = false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = s[i];
        if (IsLetter(c))
            letter = true;
        else if (!IsDecDigit(c) && c != '-' && c != '_' && !IsBlank(c))
            return s;
    }
    if (!letter) return s;
    label = s.substr(0, colon);
    s.remove_prefix(colon + 1);
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

// One hash, "0x" and hex, hex, or decimal, alone or followed by blanks and
// anything (a file name); its kind under what the label says.
FoundHash ReadBareHash(std::string_view s, const Meaning& label) {
    FoundHash found;
    const bool prefixed = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && IsHexDigit(s[2]);
    if (prefixed) s.remove_prefix(2);
    const std::size_t n = HexRun(s);
    if (n == 0 || (n < s.size() && !IsBlank(s[n]))) return found;
    const std::string_view digits = s.substr(0, n);

    bool decimal = !prefixed && n <= 10;
    std::uint64_t value = 0;
    for (char c : digits) {
        if (!decimal) break;
        if (!IsDecDigit(c))
            decimal = false;
        else
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFull) decimal = false;

    // "0x" with up to 8 digits is a CRC-32 written without its leading zeros.
    DigestKind kind = KindUnder(label, prefixed && n < 8 ? 8 : n);
    bool hex = kind != DigestKind::None;
    if (kind == DigestKind::None && decimal) {
        const DigestKind crc = KindUnder(label, 8);
        if (crc == DigestKind::CRC32) kind = crc;
    }
    if (kind == DigestKind::None) return found;
    found.kind = kind;
    found.isHex = hex;
    if (label.says == Says::Nothing) found.alsoKind = AlsoKindOf(kind);
    found.text = UpperHex(digits);
    if (kind == DigestKind::CRC32) {
        if (hex) found.hexValue = HexValue(digits);
        if (decimal) {
            found.isDecimal = true;
            found.decimalValue = static_cast<std::uint32_t>(value);
        }
    }
    return found;
}

// Whether a copied text has a tag line's shape: a '(' and, after the last
// ')', blanks and '='.
bool LooksTagged(std::string_view s) {
    const std::size_t close = s.rfind(')');
    if (close == std::string_view::npos || s.find('(') > close) return false;
    std::size_t eq = close + 1;
    while (eq < s.size() && IsBlank(s[eq])) ++eq;
    return eq < s.size() && s[eq] == '=';
}

bool ReadRowNumber(const std::string& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 10) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        if (!IsDecDigit(c)) return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFull) return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}

}  // namespace

LineKind ParseHashLine(std::string_view text, HashLine& line) {
    GnuSpacing spacing = GnuSpacing::Unknown;
    return ParseHashLine(text, line, spacing);
}

LineKind ParseHashLine(std::string_view text, HashLine& line, GnuSpacing& spacing, DigestKind untagged) {
    line = HashLine();
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    if (start == text.size()) return LineKind::NoEntry;
    if (text[start] == '#' || text[start] == ';') return LineKind::NoEntry;
    if (text.find('\0') != std::string_view::npos) return LineKind::Malformed;

    // As sha256sum reads it: a backslash after the leading blanks marks an
    // escaped GNU or BSD line.
    const bool escaped = text[start] == '\\';
    const std::string_view s = text.substr(escaped ? start + 1 : start);

    if (ReadGnu(s, escaped, line, spacing, untagged) == Form::Yes) return LineKind::Entry;
    line = HashLine();
    const Form bsd = ReadBsd(s, escaped, line);
    if (bsd == Form::Yes) return LineKind::Entry;
    if (bsd == Form::Unsupported) return LineKind::Unsupported;
    // A tag line of another kind is not read as an SFV line that happens to
    // end in 8 hex digits.
    if (bsd == Form::Bad) {
        line = HashLine();
        return LineKind::Malformed;
    }
    // SFV knows no escapes: a backslash there starts a rooted name.
    line = HashLine();
    if (ReadSfv(text.substr(start), line) == Form::Yes) return LineKind::Entry;
    line = HashLine();
    return LineKind::Malformed;
}

std::string FormatHashLine(const HashLine& line) {
    std::string hex = line.digest;
    for (char& c : hex)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    // SFV knows no escapes. Otherwise the backslash in front of an escaped
    // name starts the line.
    std::string name =
        line.form == HashLineForm::Sfv ? line.name : OnOneLine(line.name, LineRule::ChecksumFileName);
    const bool escape = name.size() != line.name.size();
    if (escape) name.erase(0, 1);
    switch (line.form) {
        case HashLineForm::Bsd:
            return std::string(escape ? "\\" : "") + TagOf(line) + " (" + name + ") = " + hex;
        case HashLineForm::Sfv:
            return name + " " + hex;
        case HashLineForm::Gnu:
        default:
            return std::string(escape ? "\\" : "") + hex + (line.binary ? " *" : "  ") + name;
    }
}

FoundHash FindHash(std::string_view text) {
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::string_view s = Trim(text);
    if (s.substr(0, kByteOrderMark.size()) == kByteOrderMark) s = Trim(s.substr(kByteOrderMark.size()));
    // One line only: a list of hashes names no one file.
    if (s.empty() || s.find_first_of("\r\n") != std::string_view::npos) return FoundHash();

    // A BSD tag line, or a line escaped as a checksum file writes it.
    if (s.front() == '\\' || LooksTagged(s)) {
        HashLine line;
        if (ParseHashLine(s, line) != LineKind::Entry || line.form == HashLineForm::Sfv) return FoundHash();
        FoundHash found;
        found.kind = line.kind;
        found.text = line.digest;
        found.isHex = true;
        if (line.kind == DigestKind::CRC32) found.hexValue = HexValue(line.digest);
        if (line.form == HashLineForm::Gnu) found.alsoKind = AlsoKindOf(line.kind);
        return found;
    }
    std::string_view label;
    s = SkipLabel(s, label);
    return ReadBareHash(s, LabelMeaning(label));
}

bool CrcMatches(const FoundHash& hash, const std::string& crcRowText) {
    std::uint32_t shown = 0;
    if (hash.kind != DigestKind::CRC32 || !ReadRowNumber(crcRowText, shown)) return false;
    const std::uint32_t usual = ~shown;
    return (hash.isHex && (hash.hexValue == usual || hash.hexValue == shown)) ||
           (hash.isDecimal && (hash.decimalValue == usual || hash.decimalValue == shown));
}

std::string UsualCrcHex(const std::string& crcRowText) {
    std::uint32_t shown = 0;
    if (!ReadRowNumber(crcRowText, shown)) return std::string();
    const std::uint32_t usual = ~shown;
    std::string hex(8, '0');
    for (int i = 7; i >= 0; --i)
        hex[static_cast<std::size_t>(7 - i)] = "0123456789ABCDEF"[(usual >> (4 * i)) & 15];
    return hex;
}

bool HexEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size() || a.empty()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

bool DigestMatches(const FoundHash& hash, const std::string& digestHex) {
    return hash.isHex && HexEquals(hash.text, digestHex);
}

std::string VerifyTooltip(DigestKind kind, bool matches, const std::string& source, const std::string& hash) {
    std::string tip = DigestKindName(kind);
    if (matches) return tip + " matches " + source;
    tip += " differs from " + source + ": ";
    if (hash.size() <= 4) return tip + hash;
    return tip + hash.substr(0, 4) + "\xE2\x80\xA6";  // U+2026, horizontal ellipsis
}
