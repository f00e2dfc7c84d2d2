#include "app/console/sumstext.h"

#include <cstddef>

#include "base/asciitext.h"
#include "components/hashtext.h"

namespace {

// The parts of an absolute path: its root ("C:", "\\server\share") and its
// folders and name, without the separators.
struct PathParts {
    std::string root;
    std::vector<std::string> names;
};

PathParts PartsOf(std::string path) {
    // The extended-length form names the same file as the plain one.
    if (path.compare(0, 8, "\\\\?\\UNC\\") == 0)
        path = "\\" + path.substr(7);
    else if (path.compare(0, 4, "\\\\?\\") == 0)
        path = path.substr(4);
    std::vector<std::string> names;
    std::string part;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            names.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    names.push_back(part);
    PathParts parts;
    std::size_t first = 1;
    if (names.size() >= 4 && names[0].empty() && names[1].empty()) {
        // "\\server\share\..."
        parts.root = "\\\\" + names[2] + "\\" + names[3];
        first = 4;
    } else {
        parts.root = names[0];
    }
    for (std::size_t i = first; i < names.size(); ++i)
        if (!names[i].empty() && names[i] != ".") parts.names.push_back(names[i]);
    return parts;
}

std::string WithForwardSlashes(std::string s) {
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

}  // namespace

bool IsSumsSwitch(const std::string& firstArgument) { return EqualCaseBlindAscii(firstArgument, "/sums"); }

bool ParseSumsCommand(const std::vector<std::string>& arguments, SumsCommand& command, std::string& error) {
    command = SumsCommand();
    if (arguments.empty() || !IsSumsSwitch(arguments[0])) {
        error = "the first argument must be /sums";
        return false;
    }
    bool hasAlg = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        const bool valued = EqualCaseBlindAscii(arg, "/alg") || EqualCaseBlindAscii(arg, "/out");
        if (valued && (i + 1 >= arguments.size() || arguments[i + 1].empty())) {
            error = arg + (EqualCaseBlindAscii(arg, "/alg") ? " needs a KIND" : " needs a LIST");
            return false;
        }
        if (EqualCaseBlindAscii(arg, "/alg")) {
            if (hasAlg) {
                error = "/alg is given twice";
                return false;
            }
            hasAlg = true;
            command.kind = DigestKindOfAlgName(arguments[++i]);
            if (command.kind == DigestKind::None) {
                error = "unknown /alg " + arguments[i] +
                        " (md5, sha1, sha256, sha384, sha512, blake2b, blake3 or crc32)";
                return false;
            }
        } else if (EqualCaseBlindAscii(arg, "/out")) {
            if (command.hasOut) {
                error = "/out is given twice";
                return false;
            }
            command.hasOut = true;
            command.out = arguments[++i];
        } else if (EqualCaseBlindAscii(arg, "/tag")) {
            command.tag = true;
        } else if (EqualCaseBlindAscii(arg, "/zero")) {
            command.zero = true;
        } else if (!arg.empty() && arg[0] == '/' && arg.find_first_of("/\\", 1) == std::string::npos) {
            // As for /report and /csv: "/x" is an option, never a path.
            error = "unknown option " + arg + " for /sums";
            return false;
        } else if (!arg.empty()) {
            command.files.push_back(arg);
        }
    }
    if (command.kind == DigestKind::CRC32 && (command.tag || command.zero)) {
        error = std::string(command.tag ? "/tag" : "/zero") +
                " does not go with /alg crc32, whose list is an .sfv file";
        return false;
    }
    if (command.files.empty()) {
        error = "no FILE given";
        return false;
    }
    return true;
}

std::string ListedName(const std::string& folder, const std::string& file, const SameName& same) {
    const PathParts base = PartsOf(folder), target = PartsOf(file);
    if (!same(base.root, target.root)) {
        std::string absolute = WithForwardSlashes(target.root);
        for (const std::string& name : target.names) absolute += "/" + name;
        return absolute;
    }
    std::size_t common = 0;
    while (common < base.names.size() && common + 1 < target.names.size() &&
           same(base.names[common], target.names[common]))
        ++common;
    std::string name;
    for (std::size_t i = common; i < base.names.size(); ++i) name += "../";
    for (std::size_t i = common; i < target.names.size(); ++i) {
        if (i > common) name += '/';
        name += target.names[i];
    }
    return name;
}

std::string SumsLine(const SumsCommand& command, const std::string& name, const std::string& hex) {
    HashLine line;
    line.kind = command.kind;
    line.digest = hex;
    line.name = name;
    line.form = command.kind == DigestKind::CRC32 ? HashLineForm::Sfv
                : command.tag                     ? HashLineForm::Bsd
                                                  : HashLineForm::Gnu;
    if (command.zero) {
        // sha256sum --zero: the name as it is, between the parts of a line
        // written for no name.
        line.name.clear();
        std::string text = FormatHashLine(line);
        const std::size_t at = line.form == HashLineForm::Bsd ? text.find('(') + 1 : text.size();
        return text.insert(at, name) + '\0';
    }
    const std::string text = FormatHashLine(line);
    if (line.form == HashLineForm::Sfv) {
        // No escapes: only a line that reads back as this name is written.
        HashLine back;
        if (name.find_first_of("\r\n") != std::string::npos || ParseHashLine(text, back) != LineKind::Entry ||
            back.form != HashLineForm::Sfv || back.name != name)
            return std::string();
    }
    return text + '\n';
}
