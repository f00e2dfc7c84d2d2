// The rules of the console's /check that need no OS: its arguments, its
// output lines and its closing warnings, worded as sha256sum -c words them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "components/digestkind.h"
#include "components/sigverdict.h"

// True when `firstArgument` is "/check", in any case.
bool IsCheckSwitch(const std::string& firstArgument);

// The options mean what sha256sum -c's options of the same name mean. Of
// /quiet, /status and /warn the last one given counts, as there.
struct CheckCommand {
    std::vector<std::string> sumFiles;  // SUMFILE arguments in the order given
    // /alg KIND: the kind of every SUMFILE's lines, whatever its name says;
    // None: each list's name says it (components/hashlist.h), or each line.
    DigestKind alg = DigestKind::None;
    bool quiet = false;          // print only the failures
    bool status = false;         // print no verdicts and no warnings: the exit code says it
    bool warn = false;           // a message for each improperly formatted line
    bool strict = false;         // an improperly formatted line fails the run
    bool ignoreMissing = false;  // a listed file that does not exist is no failure and gets no line
    std::vector<std::string> keyFiles;  // /key FILE: the trusted keys, in the order given
    bool requireSignature = false;      // /require-signature: an unknown key or none fails
};

// Reads the arguments after the program's name; the first one is /check.
// False with a one-line reason for a usage error: no SUMFILE, /alg without a
// kind or with a kind it does not know, /key without its FILE, or an unknown
// option.
bool ParseCheckCommand(const std::vector<std::string>& arguments, CheckCommand& command, std::string& error);

enum class CheckStatus { Ok, Failed, Unreadable };

// "<name>: OK", "<name>: FAILED" or "<name>: FAILED open or read", the name
// as a console line shows it (LineRule::ConsoleMessage, base/linetext.h); ends in CR LF.
std::string CheckLine(const std::string& name, CheckStatus status);

// /warn's message for line `number` of `sumFile`: "vantrel: <sumFile>:
// <number>: improperly formatted SHA256 checksum line", the kind worded as
// its GNU tool words it (MD5, SHA1, SHA256, SHA384, SHA512, BLAKE2b; BLAKE3,
// CRC32); no word for None. Ends in CR LF.
std::string ImproperLineMessage(const std::string& sumFile, std::size_t number, DigestKind kind);

// A line whose tag names an algorithm not computed here: "vantrel: <name>:
// unsupported digest <tag>", ending in CR LF.
std::string UnsupportedLineMessage(const std::string& name, const std::string& tag);

// /ignore-missing, when no listed file of `sumFile` was there: "vantrel:
// <sumFile>: no file was verified", ending in CR LF.
std::string NoFileVerifiedMessage(const std::string& sumFile);

// The warnings after a checksum file's lines, one per count that is not
// zero, each "vantrel: WARNING: …" ending in CR LF:
//   "1 line is improperly formatted" / "N lines are improperly formatted",
//   "1 line uses an unsupported digest" / "N lines use an unsupported digest",
//   "1 listed file could not be read" / "N listed files could not be read",
//   "1 computed checksum did NOT match" / "N computed checksums did NOT match".
std::string CheckWarnings(std::size_t malformed, std::size_t unsupported, std::size_t unreadable,
                          std::size_t mismatched);

// The window's words on a checksum file's signature.
struct ListVerdict {
    std::string list;           // the checksum file's name as its folder holds it
    std::string signatureFile;  // the signature's file name; empty when none
    SigVerdict verdict;
};

// What a row's tooltip line adds after "SHA-256 matches SHA256SUMS" for
// that list: ", signed by Example Release — Good signature", ", BAD
// signature (…)", ", signed by unknown key 0x…"; empty for a list not
// signed. One line (LineRule::WindowRow).
std::string ListSignatureTip(const SigVerdict& verdict);

// The "Checksum File Signature…" box: for each list, one field a line
// (checksum file, signature file, verdict, signer, key fingerprint,
// algorithm, signing time in UTC, minisign's trusted comment), lists apart
// by a blank line; then the key files of the keys folder that could not
// be read, each "NAME: why".
std::string ListSignatureBoxText(const std::vector<ListVerdict>& lists,
                                 const std::vector<std::string>& unreadableKeys);
