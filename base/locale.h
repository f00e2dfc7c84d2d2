// Locale settings that the components need: the decimal separator, read from
// the thread's locale at start-up and again from the user's default locale
// when the system announces a change of its settings.
#pragma once

#include <windows.h>

#include <string>

namespace base {

// One setting of `locale`; false when the locale gives none.
bool LocaleInfo(LCID locale, LCTYPE type, std::string& out);

// Whole: in UTF-8 a separator can take more than one byte.
std::string ReadDecimalSeparator(LCID locale);
// The separator in force.
const std::string& CurrentDecimalSeparator();
// Reads it again from the user's default locale.
void ReloadDecimalSeparator();

}  // namespace base
