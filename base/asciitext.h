// Case rules of ASCII text that needs no locale: switches, extensions and
// names the program compares as the file system does for plain letters.
#pragma once

#include <string>

// ASCII letters a to z upper-cased; every other byte unchanged.
std::string UpperCaseAscii(std::string s);
// True when `a` and `b` are equal but for the case of ASCII letters.
bool EqualCaseBlindAscii(const std::string& a, const std::string& b);
