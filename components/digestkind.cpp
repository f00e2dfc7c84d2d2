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
        case DigestKind::BLAKE2b:
            return 128;
        case DigestKind::BLAKE3:
            return 64;
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
        case DigestKind::BLAKE2b:
            return "BLAKE2b";
        case DigestKind::BLAKE3:
            return "BLAKE3";
        case DigestKind::None:
            break;
    }
    return "";
}

const char* DigestAlgName(DigestKind kind) {
    switch (kind) {
        case DigestKind::CRC32:
            return "crc32";
        case DigestKind::MD5:
            return "md5";
        case DigestKind::SHA1:
            return "sha1";
        case DigestKind::SHA256:
            return "sha256";
        case DigestKind::SHA384:
            return "sha384";
        case DigestKind::SHA512:
            return "sha512";
        case DigestKind::BLAKE2b:
            return "blake2b";
        case DigestKind::BLAKE3:
            return "blake3";
        case DigestKind::None:
            break;
    }
    return "";
}

DigestKind DigestKindOfAlgName(std::string_view name) {
    for (DigestKind kind : kAllDigestKinds) {
        const std::string_view alg = DigestAlgName(kind);
        if (alg.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < alg.size() && same; ++i) {
            char c = name[i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            same = c == alg[i];
        }
        if (same) return kind;
    }
    return DigestKind::None;
}

const char* DigestTagName(DigestKind kind) {
    switch (kind) {
        case DigestKind::CRC32:
            return "CRC32";
        case DigestKind::MD5:
            return "MD5";
        case DigestKind::SHA1:
            return "SHA1";
        case DigestKind::SHA256:
            return "SHA256";
        case DigestKind::SHA384:
            return "SHA384";
        case DigestKind::SHA512:
            return "SHA512";
        case DigestKind::BLAKE2b:
            return "BLAKE2b";
        case DigestKind::BLAKE3:
            return "BLAKE3";
        case DigestKind::None:
            break;
    }
    return "";
}
