// Text rules of the version information component.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A version text read as a number: first as a plain decimal number in any
// locale; failing that, by the fallback that keeps what stands before a second
// dot within the first five characters, read with the user's decimal
// separator, which may take more than one byte (a UTF-8 character). 0.0 when
// neither gives a number.
double VersionTextToFloat(const std::string& text, const std::string& decimalSeparator);
inline double VersionTextToFloat(const std::string& text, char decimalSeparator) {
    return VersionTextToFloat(text, std::string(1, decimalSeparator));
}

// "StringFileInfo\LLLLCCCC\" for a translation entry (low 16 bits the
// language, high 16 bits the code page), hexadecimal digits in upper case.
std::string StringTablePath(std::uint32_t translation);

// Whether a file that starts with `head` (its first bytes, `size` of them,
// fewer only for a shorter file) can hold a version resource that the
// platform's version functions read: a module ("MZ", or "ZM" as old linkers
// wrote it) or a file in the compressed forms those functions expand ("SZ"
// of SZDD, "KW" of KWAJ). For any other file they find no resource data, a
// failure the component does not report.
bool MayHoldVersionResource(const unsigned char* head, std::size_t size);
