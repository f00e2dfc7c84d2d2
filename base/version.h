// The program's version: one set of macros read by the resource script (the
// version resource) and by the C++ code (window titles, the About window).
// Plain preprocessor text only, so that the resource compiler can read it
// (hence the include guard rather than #pragma once).
#ifndef VANTREL_BASE_VERSION_H
#define VANTREL_BASE_VERSION_H

#define VANTREL_VERSION_MAJOR 1
#define VANTREL_VERSION_MINOR 0

#define VANTREL_STRINGIZE2(x) #x
#define VANTREL_STRINGIZE(x) VANTREL_STRINGIZE2(x)

// "1.0": the version people see, in titles and in the release's name.
#define VANTREL_VERSION_TEXT VANTREL_STRINGIZE(VANTREL_VERSION_MAJOR) "." VANTREL_STRINGIZE(VANTREL_VERSION_MINOR)
// "1.0.0.0": the file version string of the version resource.
#define VANTREL_FILE_VERSION_TEXT VANTREL_VERSION_TEXT ".0.0"
// The title of the windows and of the program's message boxes.
#define VANTREL_TITLE "Vantrel " VANTREL_VERSION_TEXT

#endif  // VANTREL_BASE_VERSION_H
