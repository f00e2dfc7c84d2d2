// The locale settings behind the date-time text: read from the thread's locale
// at start-up and again from the user's default locale when the system
// announces a change of its settings (the decimal separator with them).
#pragma once

#include <windows.h>

#include <string>

#include "app/details/datetimetext.h"

// Reads the date and time settings of `locale`; defaults where it gives none.
DateTimeFormat ReadDateTimeFormat(LCID locale);

// The settings in force.
const DateTimeFormat& CurrentDateTimeFormat();
// The date-time text of this moment (local time), as a report's header takes it.
std::string CurrentDateTimeText();
// Reads them again (WM_WININICHANGE): from the user's default locale.
void ReloadFormatSettings();
