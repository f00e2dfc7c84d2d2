// Locale settings that the components need: the decimal separator, read from
// the thread's locale at start-up and again from the user's default locale
// when the system announces a change of its settings.
#pragma once

#include <windows.h>

#include <string>

namespace base {

// One setting of `locale`; false when the locale gives none.
bool LocaleInfo(LCID locale, LCTYPE type, std::string& out);

char ReadDecimalSeparator(LCID locale);
// The separator in force.
char CurrentDecimalSeparator();
// Reads it again from the user's default locale.
void ReloadDecimalSeparator();

}  // namespace base
