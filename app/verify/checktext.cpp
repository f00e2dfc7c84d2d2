#include "app/verify/checktext.h"

#include "base/asciitext.h"
#include "base/linetext.h"
#include "components/openpgp.h"
#include "components/sigverify.h"

namespace {

std::string Warning(std::size_t n, const char* one, const char* many) {
    if (n == 0) return std::string();
    return "vantrel: WARNING: " + std::to_string(n) + " " + (n == 1 ? one : many) + "\r\n";
}

// "md5, sha1, …, crc32": the names /alg takes.
std::string AlgNames() {
    std::string names;
    for (DigestKind kind : kAllDigestKinds)
        names += std::string(names.empty() ? "" : ", ") + DigestAlgName(kind);
    return names;
}

// The word the GNU tools put in "improperly formatted … checksum line": the
// kind's tag.
const char* ToolWord(DigestKind kind) { return DigestTagName(kind); }

}  // namespace

bool IsCheckSwitch(const std::string& firstArgument) { return UpperCaseAscii(firstArgument) == "/CHECK"; }

bool ParseCheckCommand(const std::vector<std::string>& arguments, CheckCommand& command, std::string& error) {
    command = CheckCommand();
    if (arguments.empty() || !IsCheckSwitch(arguments[0])) {
        error = "the first argument must be /check";
        return false;
    }
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        const std::string option = UpperCaseAscii(arg);
        // /quiet, /status and /warn: the last one counts, as in sha256sum.
        if (option == "/QUIET") {
            command.quiet = true;
            command.status = command.warn = false;
        } else if (option == "/STATUS") {
            command.status = true;
            command.quiet = command.warn = false;
        } else if (option == "/WARN") {
            command.warn = true;
            command.quiet = command.status = false;
        } else if (option == "/STRICT") {
            command.strict = true;
        } else if (option == "/IGNORE-MISSING") {
            command.ignoreMissing = true;
        } else if (option == "/KEY") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                error = "/key needs a key FILE";
                return false;
            }
            command.keyFiles.push_back(arguments[++i]);
        } else if (option == "/REQUIRE-SIGNATURE") {
            command.requireSignature = true;
        } else if (option == "/ALG") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
                error = "/alg needs a kind: " + AlgNames();
                return false;
            }
            command.alg = DigestKindOfAlgName(arguments[++i]);
            if (command.alg == DigestKind::None) {
                error = "unknown kind " + OnOneLine(arguments[i], LineRule::ConsoleMessage) +
                        " for /alg; it takes " + AlgNames();
                return false;
            }
        } else if (!arg.empty() && arg[0] == '/' && arg.find_first_of("/\\", 1) == std::string::npos) {
            // As for /report: "/x" is an option, never a path.
            error = "unknown option " + arg + " for /check";
            return false;
        } else if (!arg.empty()) {
            command.sumFiles.push_back(arg);
        }
    }
    if (command.sumFiles.empty()) {
        error = "no SUMFILE given";
        return false;
    }
    return true;
}

std::string CheckLine(const std::string& name, CheckStatus status) {
    const char* word = status == CheckStatus::Ok       ? "OK"
                       : status == CheckStatus::Failed ? "FAILED"
                                                       : "FAILED open or read";
    return OnOneLine(name, LineRule::ConsoleMessage) + ": " + word + "\r\n";
}

std::string ImproperLineMessage(const std::string& sumFile, std::size_t number, DigestKind kind) {
    const std::string word = ToolWord(kind);
    return "vantrel: " + OnOneLine(sumFile, LineRule::ConsoleMessage) + ": " + std::to_string(number) +
           ": improperly formatted " + (word.empty() ? "" : word + " ") + "checksum line\r\n";
}

std::string UnsupportedLineMessage(const std::string& name, const std::string& tag) {
    return "vantrel: " + OnOneLine(name, LineRule::ConsoleMessage) + ": unsupported digest " +
           OnOneLine(tag, LineRule::ConsoleMessage) + "\r\n";
}

std::string NoFileVerifiedMessage(const std::string& sumFile) {
    return "vantrel: " + OnOneLine(sumFile, LineRule::ConsoleMessage) + ": no file was verified\r\n";
}

std::string CheckWarnings(std::size_t malformed, std::size_t unsupported, std::size_t unreadable,
                          std::size_t mismatched) {
    return Warning(malformed, "line is improperly formatted", "lines are improperly formatted") +
           Warning(unsupported, "line uses an unsupported digest", "lines use an unsupported digest") +
           Warning(unreadable, "listed file could not be read", "listed files could not be read") +
           Warning(mismatched, "computed checksum did NOT match", "computed checksums did NOT match");
}

std::string ListSignatureTip(const SigVerdict& verdict) {
    switch (verdict.status) {
        case SigStatus::NotSigned:
            return std::string();
        case SigStatus::Good: {
            const std::string who = verdict.signer.empty() ? "key " + verdict.keyId : verdict.signer;
            return OnOneLine(", signed by " + who + " \xE2\x80\x94 Good signature", LineRule::WindowRow);
        }
        default:
            return OnOneLine(", " + SigVerdictText(verdict), LineRule::WindowRow);
    }
}

std::string ListSignatureBoxText(const std::vector<ListVerdict>& lists,
                                 const std::vector<std::string>& unreadableKeys) {
    std::string text;
    const auto line = [&](const char* label, const std::string& value) {
        text += std::string(label) + ": " + OnOneLine(value, LineRule::WindowRow) + "\n";
    };
    for (const ListVerdict& l : lists) {
        if (!text.empty()) text += "\n";
        const SigVerdict& v = l.verdict;
        line("Checksum file", l.list);
        line("Signature file", l.signatureFile);
        line("Verdict", v.status == SigStatus::Good ? std::string("Good signature") : SigVerdictText(v));
        line("Signer", v.signer);
        line("Key fingerprint", v.fingerprint.empty() ? v.keyId : v.fingerprint);
        line("Algorithm", v.algorithm);
        line("Signing time", v.signedAt >= 0 ? pgp::TimeText(v.signedAt) : std::string());
        line("Trusted comment", v.trustedComment);
    }
    if (!unreadableKeys.empty()) {
        text += "\nKey files in the keys folder that could not be read:\n";
        for (const std::string& k : unreadableKeys) text += OnOneLine(k, LineRule::WindowRow) + "\n";
    }
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}
