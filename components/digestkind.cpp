#include "components/digestkind.h"

std::size_t HexDigitsOf(DigestKind kind) {
    switch (kind) {
        case DigestKind::CRC32:
            return 8;
        case DigestKind::MD5:
            return 32;
        case DigestKind::SHA1:
            return 40;
        case DigestKind::SHA256:
            return 64;
        case DigestKind::SHA384:
            return 96;
        case DigestKind::SHA512:
            return 128;
        case DigestKind::None:
            break;
    }
    return 0;
}

const char* DigestKindName(DigestKind kind) {
    switch (kind) {
        case DigestKind::CRC32:
            return "CRC-32";
        case DigestKind::MD5:
            return "MD5";
        case DigestKind::SHA1:
            return "SHA-1";
        case DigestKind::SHA256:
            return "SHA-256";
        case DigestKind::SHA384:
            return "SHA-384";
        case DigestKind::SHA512:
            return "SHA-512";
        case DigestKind::None:
            break;
    }
    return "";
}
