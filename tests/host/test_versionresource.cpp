// The bounded check of where a module keeps its version resource, over small
// PE32, PE32+ and NE images made here and damaged one field at a time.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "components/versionresource.h"

namespace {

using versionresource::CheckVersionResource;
using versionresource::Verdict;
using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A PE image as a linker lays it out: headers in the first 0x200 bytes, one
// resource section at RVA 0x1000 and file offset 0x200 with 0x200 bytes of
// raw data: the root (one type, 16), the name directory (id 1), the language
// directory (0x409), the data entry and 0x40 bytes of version data.
struct Pe {
    static constexpr std::size_t kLfanew = 0x80;
    static constexpr std::size_t kSectionVa = 0x1000;
    static constexpr std::size_t kSectionRaw = 0x200;
    static constexpr std::size_t kRoot = kSectionRaw;
    static constexpr std::size_t kNames = kRoot + 0x18;
    static constexpr std::size_t kLanguages = kRoot + 0x30;
    static constexpr std::size_t kDataEntry = kRoot + 0x48;
    static constexpr std::size_t kData = kRoot + 0x60;

    explicit Pe(bool plus) : bytes(0x400, 0) {
        bytes[0] = 'M';
        bytes[1] = 'Z';
        Put32(bytes, 0x3C, kLfanew);
        Put32(bytes, kLfanew, 0x00004550);
        Put16(bytes, kLfanew + 4, plus ? 0x8664 : 0x14C);
        Put16(bytes, kLfanew + 6, 1);  // one section
        const std::size_t optionalSize = plus ? 240 : 224;
        Put16(bytes, kLfanew + 20, optionalSize);
        optional = kLfanew + 24;
        Put16(bytes, optional, plus ? 0x20B : 0x10B);
        Put32(bytes, optional + 60, 0x200);  // SizeOfHeaders
        const std::size_t directories = optional + (plus ? 112 : 96);
        Put32(bytes, directories - 4, 16);
        resourceDirectory = directories + 16;
        Put32(bytes, resourceDirectory, kSectionVa);
        Put32(bytes, resourceDirectory + 4, 0x200);
        section = optional + optionalSize;
        std::memcpy(&bytes[section], ".rsrc", 5);
        Put32(bytes, section + 8, 0x200);         // VirtualSize
        Put32(bytes, section + 12, kSectionVa);   // VirtualAddress
        Put32(bytes, section + 16, 0x200);        // SizeOfRawData
        Put32(bytes, section + 20, kSectionRaw);  // PointerToRawData

        Directory(kRoot, 16, 0x80000000u | (kNames - kRoot));
        Directory(kNames, 1, 0x80000000u | (kLanguages - kRoot));
        Directory(kLanguages, 0x409, kDataEntry - kRoot);
        Put32(bytes, kDataEntry, kSectionVa + (kData - kSectionRaw));
        Put32(bytes, kDataEntry + 4, 0x40);
        Put16(bytes, kData, 0x40);
    }
    // A directory of one id entry.
    void Directory(std::size_t at, std::uint32_t id, std::uint32_t offset) {
        Put16(bytes, at + 14, 1);
        Put32(bytes, at + 16, id);
        Put32(bytes, at + 20, offset);
    }

    Bytes bytes;
    std::size_t optional = 0, resourceDirectory = 0, section = 0;
};

// A 16-bit module: the NE header at 0x80, its resource table at 0xC0 with
// one RT_VERSION resource of 0x40 bytes at 0x100 (alignment shift 4).
struct Ne {
    static constexpr std::size_t kHeader = 0x80;
    static constexpr std::size_t kTable = 0xC0;

    Ne() : bytes(0x180, 0) {
        bytes[0] = 'M';
        bytes[1] = 'Z';
        Put32(bytes, 0x3C, kHeader);
        bytes[kHeader] = 'N';
        bytes[kHeader + 1] = 'E';
        Put16(bytes, kHeader + 0x24, kTable - kHeader);
        Put16(bytes, kHeader + 0x26, kTable - kHeader + 2 + 8 + 12 + 2);
        Put16(bytes, kTable, 4);                // alignment shift
        Put16(bytes, kTable + 2, 0x8010);       // RT_VERSION
        Put16(bytes, kTable + 4, 1);            // one resource
        Put16(bytes, kTable + 10, 0x100 >> 4);  // offset
        Put16(bytes, kTable + 12, 0x40 >> 4);   // length
        Put16(bytes, kTable + 16, 0x8001);      // id 1
    }
    Bytes bytes;
};

// Checks the bytes through a reader that fails any read outside them.
Verdict Check(const Bytes& bytes, std::string* reason = nullptr) {
    const versionresource::ReadAt read = [&bytes](std::uint64_t offset, void* out, std::size_t size) {
        if (offset > bytes.size() || size > bytes.size() - offset) {
            ADD_FAILURE() << "read outside the file at " << offset << " size " << size;
            return false;
        }
        std::memcpy(out, bytes.data() + offset, size);
        return true;
    };
    std::string why;
    const Verdict v = CheckVersionResource(read, bytes.size(), why);
    if (reason) *reason = why;
    return v;
}

struct Case {
    const char* name;
    std::function<void(Pe&)> damage;
    Verdict expected;
};

const Case kPeCases[] = {
    {"honest", [](Pe&) {}, Verdict::Sound},
    {"size 0x100000", [](Pe& p) { Put32(p.bytes, Pe::kDataEntry + 4, 0x100000); }, Verdict::Damaged},
    {"size 0x10000000", [](Pe& p) { Put32(p.bytes, Pe::kDataEntry + 4, 0x10000000); }, Verdict::Damaged},
    {"size 0x7FFFFFF0", [](Pe& p) { Put32(p.bytes, Pe::kDataEntry + 4, 0x7FFFFFF0); }, Verdict::Damaged},
    {"size 0xFFFFFFFF", [](Pe& p) { Put32(p.bytes, Pe::kDataEntry + 4, 0xFFFFFFFF); }, Verdict::Damaged},
    {"size one past the section",
     [](Pe& p) { Put32(p.bytes, Pe::kDataEntry + 4, 0x200 - (Pe::kData - Pe::kSectionRaw) + 1); },
     Verdict::Damaged},
    {"size up to the section's end",
     [](Pe& p) { Put32(p.bytes, Pe::kDataEntry + 4, 0x200 - (Pe::kData - Pe::kSectionRaw)); },
     Verdict::Sound},
    {"data RVA in no section", [](Pe& p) { Put32(p.bytes, Pe::kDataEntry, 0x5000); }, Verdict::Damaged},
    {"data RVA near 4 GiB", [](Pe& p) { Put32(p.bytes, Pe::kDataEntry, 0xFFFFFFF0); }, Verdict::Damaged},
    {"section's raw data past the end of the file",
     [](Pe& p) {
         Put32(p.bytes, p.section + 16, 0x10000000);
         Put32(p.bytes, Pe::kDataEntry + 4, 0x100000);
     },
     Verdict::Damaged},
    {"root directory's entries past the end of the file",
     [](Pe& p) { Put16(p.bytes, Pe::kRoot + 14, 0xFFFF); }, Verdict::Damaged},
    {"named entries past the end of the file", [](Pe& p) { Put16(p.bytes, Pe::kNames + 12, 0x1000); },
     Verdict::Damaged},
    {"name directory outside the file", [](Pe& p) { Put32(p.bytes, Pe::kRoot + 20, 0xFFFFFFFF); },
     Verdict::Damaged},
    {"data entry outside the file", [](Pe& p) { Put32(p.bytes, Pe::kLanguages + 20, 0x7FFFFFF0); },
     Verdict::Damaged},
    {"type entry that is no directory",
     [](Pe& p) { Put32(p.bytes, Pe::kRoot + 20, Pe::kDataEntry - Pe::kRoot); }, Verdict::Damaged},
    // The language directory points back at the root: a loop, and a
    // directory where data belongs.
    {"loop back to the root", [](Pe& p) { Put32(p.bytes, Pe::kLanguages + 20, 0x80000000u); },
     Verdict::Damaged},
    {"names pointing at themselves",
     [](Pe& p) { Put32(p.bytes, Pe::kNames + 20, 0x80000000u | (Pe::kNames - Pe::kRoot)); },
     Verdict::Damaged},
    {"directory resource RVA in no section", [](Pe& p) { Put32(p.bytes, p.resourceDirectory, 0x9000); },
     Verdict::Sound},
    {"no section at all", [](Pe& p) { Put16(p.bytes, Pe::kLfanew + 6, 0); }, Verdict::Sound},
    {"no resource directory", [](Pe& p) { Put32(p.bytes, p.resourceDirectory, 0); }, Verdict::Sound},
    {"section table past the end of the file", [](Pe& p) { Put16(p.bytes, Pe::kLfanew + 6, 0xFFFF); },
     Verdict::Damaged},
    {"optional header past the end of the file",
     [](Pe& p) {
         Put32(p.bytes, 0x3C, 0x400 - 0x20);
         Put32(p.bytes, 0x400 - 0x20, 0x00004550);
         Put16(p.bytes, 0x400 - 0x20 + 24, 0x10B);
     },
     Verdict::Damaged},
    {"another resource type only", [](Pe& p) { Put32(p.bytes, Pe::kRoot + 16, 3); }, Verdict::Sound},
    {"another type that lies is not read",
     [](Pe& p) {
         Put32(p.bytes, Pe::kRoot + 16, 3);
         Put32(p.bytes, Pe::kDataEntry + 4, 0x7FFFFFF0);
     },
     Verdict::Sound},
    {"e_lfanew past the end", [](Pe& p) { Put32(p.bytes, 0x3C, 0xFFFFFFF0); }, Verdict::NotModule},
    {"not MZ", [](Pe& p) { p.bytes[0] = 'X'; }, Verdict::NotModule},
};

TEST(VersionResourceBounds, LyingPeImagesAreRefusedAndHonestOnesAccepted) {
    for (const bool plus : {false, true}) {
        for (const Case& c : kPeCases) {
            Pe pe(plus);
            c.damage(pe);
            std::string reason;
            EXPECT_EQ(c.expected, Check(pe.bytes, &reason)) << c.name << (plus ? " (PE32+)" : " (PE32)");
            EXPECT_EQ(c.expected == Verdict::Damaged, !reason.empty()) << c.name << ": " << reason;
        }
    }
}

TEST(VersionResourceBounds, EveryCutOfAnImageIsRefusedOrHasNoResourceToRead) {
    const Pe pe(true);
    for (std::size_t size = 0; size < pe.bytes.size(); ++size) {
        const Bytes cut(pe.bytes.begin(), pe.bytes.begin() + static_cast<std::ptrdiff_t>(size));
        const Verdict v = Check(cut);
        // Cut inside the version data or earlier: never Sound.
        if (size < Pe::kData + 0x40)
            EXPECT_NE(Verdict::Sound, v) << size;
        else
            EXPECT_EQ(Verdict::Sound, v) << size;
    }
}

TEST(VersionResourceBounds, ADirectoryOfManyEntriesSharingOneSubdirectoryStopsAtTheBudget) {
    // Every one of 0xFFFF names points at one language directory of 0xFFFF
    // entries: billions of visits without a bound.
    Pe pe(false);
    pe.bytes.resize(0x200000, 0);
    Put32(pe.bytes, pe.section + 8, 0x1F0000);
    Put32(pe.bytes, pe.section + 16, 0x1F0000);
    const std::size_t names = 0x1000, languages = 0x90000;
    Put32(pe.bytes, Pe::kRoot + 20, 0x80000000u | (names - Pe::kRoot));
    Put16(pe.bytes, names + 14, 0xFFFF);
    for (std::size_t i = 0; i < 0xFFFF; ++i)
        Put32(pe.bytes, names + 16 + 8 * i + 4, 0x80000000u | (languages - Pe::kRoot));
    Put16(pe.bytes, languages + 14, 0xFFFF);
    for (std::size_t i = 0; i < 0xFFFF; ++i)
        Put32(pe.bytes, languages + 16 + 8 * i + 4, Pe::kDataEntry - Pe::kRoot);
    std::string reason;
    EXPECT_EQ(Verdict::Damaged, Check(pe.bytes, &reason));
    EXPECT_NE(std::string::npos, reason.find("more entries")) << reason;
}

TEST(VersionResourceBounds, NeModulesAreCheckedAgainstTheFile) {
    struct NeCase {
        const char* name;
        std::function<void(Ne&)> damage;
        Verdict expected;
    };
    const NeCase cases[] = {
        {"honest", [](Ne&) {}, Verdict::Sound},
        {"length 0xFFFF << 4", [](Ne& n) { Put16(n.bytes, Ne::kTable + 12, 0xFFFF); }, Verdict::Damaged},
        {"offset past the end", [](Ne& n) { Put16(n.bytes, Ne::kTable + 10, 0x1000); }, Verdict::Damaged},
        {"shift 16 with a length", [](Ne& n) { Put16(n.bytes, Ne::kTable, 16); }, Verdict::Damaged},
        {"shift 40", [](Ne& n) { Put16(n.bytes, Ne::kTable, 40); }, Verdict::Damaged},
        {"count past the table", [](Ne& n) { Put16(n.bytes, Ne::kTable + 4, 0x2000); }, Verdict::Damaged},
        {"table without its end",
         [](Ne& n) { Put16(n.bytes, Ne::kHeader + 0x26, Ne::kTable - Ne::kHeader + 2 + 8 + 12); },
         Verdict::Damaged},
        {"table past the end of the file", [](Ne& n) { Put16(n.bytes, Ne::kHeader + 0x26, 0xFFFF); },
         Verdict::Damaged},
        {"table ending before it starts", [](Ne& n) { Put16(n.bytes, Ne::kHeader + 0x26, 2); },
         Verdict::Damaged},
        {"no resource table", [](Ne& n) { Put16(n.bytes, Ne::kHeader + 0x26, Ne::kTable - Ne::kHeader); },
         Verdict::Sound},
        {"another type that lies is not read",
         [](Ne& n) {
             Put16(n.bytes, Ne::kTable + 2, 0x8003);
             Put16(n.bytes, Ne::kTable + 12, 0xFFFF);
         },
         Verdict::Sound},
    };
    for (const NeCase& c : cases) {
        Ne ne;
        c.damage(ne);
        EXPECT_EQ(c.expected, Check(ne.bytes)) << c.name;
    }
}

TEST(VersionResourceBounds, OtherFilesAreNoModules) {
    for (const std::string& text :
         {std::string(), std::string("MZ"), std::string(200, 'x'), std::string("ZM") + std::string(100, '\0'),
          std::string("SZDD") + std::string(100, '\0')}) {
        const Bytes bytes(text.begin(), text.end());
        EXPECT_EQ(Verdict::NotModule, Check(bytes)) << text.substr(0, 4);
    }
}

TEST(VersionResourceBounds, AFailedReadIsNoVerdictOnTheFile) {
    const Pe pe(false);
    const versionresource::ReadAt failing = [](std::uint64_t, void*, std::size_t) { return false; };
    std::string reason;
    EXPECT_EQ(Verdict::ReadFailed, CheckVersionResource(failing, pe.bytes.size(), reason));
}

}  // namespace
