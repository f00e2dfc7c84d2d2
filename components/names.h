// Name rules of the inspection components: splitting a command line into the
// program or file part and its parameters, and the search that turns an
// assigned name into the name that is actually read. Pure text functions; the
// file system is reached only through the probe passed in.
//
// All strings are in the system code page (UTF-8 where the platform runs the
// program with that code page); the rules look at ASCII bytes only, which
// are never part of a UTF-8 multi-byte character.
#pragma once

#include <functional>
#include <string>

#include "base/asciitext.h"

// Removes leading and trailing characters whose code is 32 or less.
std::string Trim(const std::string& s);
// The part up to and including the last backslash or colon.
std::string ExtractFilePath(const std::string& name);
// What follows the last backslash or colon.
std::string ExtractFileName(const std::string& name);
// From the last dot after the last backslash or colon, dot included; empty
// when there is no such dot.
std::string ExtractFileExt(const std::string& name);

// If Delimiter occurs in Text, Left is the text before it and Right the text
// after it (with the delimiter in front when KeepDelimiter); otherwise Left is
// Text and Right is empty.
void SplitAtDelimiter(const std::string& Delimiter, const std::string& Text,
                      std::string& Left, std::string& Right, bool KeepDelimiter);

// Reduces a path or command line in Name to its program or file part and puts
// the rest in Params, both trimmed. An empty (after trimming) Name leaves
// Params untouched. The rules, in order:
// - A name in double quotes at the start is the program; what follows the
//   character after the closing quote is Params, with its first pair of
//   quotes dropped.
// - A quoted part later in the line starts Params; the character in front of
//   the opening quote is the separator and is dropped.
// - Without quotes, the line is cut at the first of " -", " /", " ", "," and
//   " %" that occurs (the comma is dropped, the others start Params), except
//   where the cut would take the name's extension away.
// - A ".dll" name in a line that mentions "RUNDLL" is the last path
//   component up to its first blank, so that the library and its entry point
//   stay together.
void SplitCommandLine(std::string& Name, std::string& Params);

// SplitCommandLine on a copy, returning the name and dropping the parameters.
std::string ExtractProgramName(const std::string& CommandLine);

enum class EntryKind { None, File, Directory };

// What ExpandProgramName needs from the file system.
struct ProgramSearch {
    // Kind of the entry a name refers to; relative names are resolved against
    // the current directory.
    std::function<EntryKind(const std::string&)> Probe;
    std::string SystemDir;   // ends in a backslash
    std::string WindowsDir;  // ends in a backslash
};

// The name a file information component keeps for an assigned value. A value
// that names an existing file or directory as given is kept exactly; one
// that, trimmed, names one is kept trimmed; anything else is reduced by
// ExtractProgramName and, when it has no path, looked for in the current,
// system and Windows directories, with ".exe" added when it has no
// extension; when none has it, the reduced name is kept.
std::string ExpandProgramName(const std::string& Value, const ProgramSearch& search);

// True for names that reach a device or a pipe instead of a file on disk:
// "\\.\" and "\\?\" paths other than "\\?\X:\...", and the reserved DOS device
// names (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, CLOCK$) as the
// name part, whatever extension, trailing dots or blanks follow. The digit
// may be a superscript 1, 2 or 3, in the Western code page or in UTF-8.
bool IsDeviceName(const std::string& name);

// Argument Index of a Windows command line by the program's own rule: leading
// characters 1..32 are skipped, double quotes group text (spaces included) and
// are dropped, an argument ends at a character <= 32 outside quotes, no
// escapes. Argument 0 is the program itself. Empty when there is no such
// argument.
std::string ParamStr(const std::string& CommandLine, int Index);
