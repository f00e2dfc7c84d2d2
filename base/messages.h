// Message texts that need no operating system: the full-stop rule of the
// failure display, the I/O error texts and the open failure of a file.
#pragma once

#include <string>

// The text the program-wide failure display shows: a full stop is appended
// when the message is not empty and its last character's code is above 46.
std::string WithFullStop(const std::string& message);

// A system text (FormatMessage's, or any message) for one line of another
// message: every control character a blank, as in a window row, so that its
// line break goes, and the trailing blanks and full stops dropped, so that
// the message around it supplies its own punctuation.
std::string OneLineWithoutFullStop(const std::string& text);

// The I/O error text for a Windows error code of a failed report write.
std::string IOErrorMessage(unsigned long code);

// "<what> (system error <code>: <reason>)" for a platform call that failed,
// the system text trimmed of its full stop and line break; without the
// reason when there is none, and "(no system error code)" for code 0.
std::string WithSystemError(const std::string& what, unsigned long code, const std::string& systemText);

// "Cannot open file "<path>". <reason>", the system text as
// OneLineWithoutFullStop gives it.
std::string CannotOpenFileMessage(const std::string& fullPath, const std::string& systemText);

// The messages for a file that did not stay as it was while its contents
// were read, naming it by its full path.
std::string FileChangedWhileReadMessage(const std::string& fullPath);
std::string FileDeletedWhileReadMessage(const std::string& fullPath);
