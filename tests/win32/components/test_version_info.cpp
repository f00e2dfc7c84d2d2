// The version information component reading real libraries whose version
// resources are built from tests/fixtures, and, for the platform answers that
// no real file gives under Wine, reading through a fake version API.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "components/dcVersionInfo.h"
#include "tests/fixtures/fixture_values.h"
#include "testutil.h"
#include "base/errors.h"

namespace {

constexpr char kCannotGet[] = "Can not get version info";
constexpr char kNoVersionInfo[] = "No version info";

std::string Fixture(const std::string& name) {
    return testutil::WindowsPath(std::string(VANTREL_FIXTURES_DIR) + "/" + name);
}

std::int32_t Translation(WORD language, WORD codePage) {
    return static_cast<std::int32_t>(MAKELONG(language, codePage));
}

// The platform's own name for a language, so that the tests do not depend on
// the names a given system carries.
std::string LanguageNameOf(WORD language) {
    char name[260] = "";
    VerLanguageNameA(language, name, sizeof name);
    return name;
}

// Sets FILENAME; returns the message of the failure raised, empty when none.
std::string Load(TdcVersionInfo& info, const std::string& path) {
    try {
        info.SetFILENAME(path);
    } catch (const base::Exception& e) {
        return e.what();
    }
    return "";
}

// Every result of the component, for comparing whole states.
struct Results {
    std::string comments, companyName, fileDescription, fileVersion, internalName, languageName,
        legalCopyright, legalTrademark, originalFilename, productName, productVersion;
    std::int32_t fileFlags = 0, fileFlagsMask = 0, fileMajorVersion = 0, fileMinorVersion = 0,
                 languageCount = 0, productMajorVersion = 0, productMinorVersion = 0, translationValue = 0;
    std::uint16_t fileVerMajor = 0, fileVerMinor = 0, fileVerRelease = 0, fileVerBuild = 0;
    double fileVersionFloat = 0.0, productVersionFloat = 0.0;

    auto Tie() const {
        return std::tie(comments, companyName, fileDescription, fileVersion, internalName, languageName,
                        legalCopyright, legalTrademark, originalFilename, productName, productVersion,
                        fileFlags, fileFlagsMask, fileMajorVersion, fileMinorVersion, languageCount,
                        productMajorVersion, productMinorVersion, translationValue, fileVerMajor,
                        fileVerMinor, fileVerRelease, fileVerBuild, fileVersionFloat, productVersionFloat);
    }
    bool operator==(const Results& other) const { return Tie() == other.Tie(); }
    bool operator!=(const Results& other) const { return !(*this == other); }
};

void PrintTo(const Results& r, std::ostream* os) {
    *os << "{company=\"" << r.companyName << "\" fileVersion=\"" << r.fileVersion << "\" product=\""
        << r.productVersion << "\" language=\"" << r.languageName << "\" translation=0x" << std::hex
        << r.translationValue << " count=" << std::dec << r.languageCount << " fileMS=0x" << std::hex
        << r.fileMajorVersion << " fileLS=0x" << r.fileMinorVersion << " flags=0x" << r.fileFlags << std::dec
        << " floats=" << r.fileVersionFloat << "/" << r.productVersionFloat << " ...}";
}

Results Snapshot(const TdcVersionInfo& v) {
    Results r;
    r.comments = v.Comments();
    r.companyName = v.CompanyName();
    r.fileDescription = v.FileDescription();
    r.fileVersion = v.FileVersion();
    r.internalName = v.InternalName();
    r.languageName = v.LanguageName();
    r.legalCopyright = v.LegalCopyright();
    r.legalTrademark = v.LegalTrademark();
    r.originalFilename = v.OriginalFilename();
    r.productName = v.ProductName();
    r.productVersion = v.ProductVersion();
    r.fileFlags = v.FileFlags();
    r.fileFlagsMask = v.FileFlagsMask();
    r.fileMajorVersion = v.FileMajorVersion();
    r.fileMinorVersion = v.FileMinorVersion();
    r.languageCount = v.LanguageCount();
    r.productMajorVersion = v.ProductMajorVersion();
    r.productMinorVersion = v.ProductMinorVersion();
    r.translationValue = v.TranslationValue();
    r.fileVerMajor = v.FileVerMajor();
    r.fileVerMinor = v.FileVerMinor();
    r.fileVerRelease = v.FileVerRelease();
    r.fileVerBuild = v.FileVerBuild();
    r.fileVersionFloat = v.FileVersionFloat();
    r.productVersionFloat = v.ProductVersionFloat();
    return r;
}

// The cleared state with only the language of the first translation set.
Results LanguageOnly(WORD language, WORD codePage, std::int32_t count) {
    Results r;
    r.translationValue = Translation(language, codePage);
    r.languageCount = count;
    r.languageName = LanguageNameOf(language);
    return r;
}

// The system's version API, with a record of what the component asks of it.
class RecordingApi : public IVersionApi {
public:
    DWORD GetFileVersionInfoSize(const char* path, DWORD* handle, DWORD* lastError) override {
        ++calls;
        paths.push_back(path);
        return SystemVersionApi().GetFileVersionInfoSize(path, handle, lastError);
    }
    bool GetFileVersionInfo(const char* path, DWORD handle, DWORD size, void* block) override {
        ++calls;
        return SystemVersionApi().GetFileVersionInfo(path, handle, size, block);
    }
    bool VerQueryValue(const void* block, const char* subBlock, void** value, UINT* length) override {
        ++calls;
        subBlocks.push_back(subBlock);
        return SystemVersionApi().VerQueryValue(block, subBlock, value, length);
    }
    void VerLanguageName(DWORD language, char* buffer, DWORD size) override {
        ++calls;
        languages.push_back(language);
        SystemVersionApi().VerLanguageName(language, buffer, size);
    }

    int calls = 0;
    std::vector<std::string> paths, subBlocks;
    std::vector<DWORD> languages;
};

// ---- Real libraries -------------------------------------------------------

TEST(VersionInfoFixtures, FullResourceFillsEveryResultUnmaskedAndSplit) {
    TdcVersionInfo info;
    ASSERT_EQ("", Load(info, Fixture("full_version.dll")));

    Results expected;
    expected.comments = FULL_COMMENTS;
    expected.companyName = FULL_COMPANY_NAME;
    expected.fileDescription = FULL_FILE_DESCRIPTION;
    expected.fileVersion = FULL_FILE_VERSION;
    expected.internalName = FULL_INTERNAL_NAME;
    expected.legalCopyright = FULL_LEGAL_COPYRIGHT;
    expected.legalTrademark = FULL_LEGAL_TRADEMARKS;
    expected.originalFilename = FULL_ORIGINAL_FILENAME;
    expected.productName = FULL_PRODUCT_NAME;
    expected.productVersion = FULL_PRODUCT_VERSION;
    expected.fileVersionFloat = FULL_FILE_VERSION_NUMBER;
    expected.productVersionFloat = FULL_PRODUCT_VERSION_NUMBER;
    expected.languageName = LanguageNameOf(FULL_LANGUAGE);
    expected.translationValue = Translation(FULL_LANGUAGE, FULL_CODE_PAGE);
    expected.languageCount = 1;
    expected.fileMajorVersion = static_cast<std::int32_t>(MAKELONG(FULL_FILE_MINOR, FULL_FILE_MAJOR));
    expected.fileMinorVersion = static_cast<std::int32_t>(MAKELONG(FULL_FILE_BUILD, FULL_FILE_RELEASE));
    expected.productMajorVersion =
        static_cast<std::int32_t>(MAKELONG(FULL_PRODUCT_MINOR, FULL_PRODUCT_MAJOR));
    expected.productMinorVersion =
        static_cast<std::int32_t>(MAKELONG(FULL_PRODUCT_BUILD, FULL_PRODUCT_RELEASE));
    expected.fileVerMajor = FULL_FILE_MAJOR;
    expected.fileVerMinor = FULL_FILE_MINOR;
    expected.fileVerRelease = FULL_FILE_RELEASE;
    expected.fileVerBuild = FULL_FILE_BUILD;
    expected.fileFlagsMask = FULL_FLAGS_MASK;
    expected.fileFlags = FULL_FLAGS;
    EXPECT_EQ(expected, Snapshot(info));

    // The top bit of the major version makes the whole number negative while
    // its 16-bit part stays above 32767.
    EXPECT_LT(info.FileMajorVersion(), 0);
    EXPECT_NE(0, info.FileFlags() & ~info.FileFlagsMask());
    EXPECT_EQ(Fixture("full_version.dll"), info.FILENAME());
}

struct TranslationCase {
    const char* fixture;
    WORD language, codePage;
    std::int32_t languageCount;
    const char* companyName;
    const char* fileVersion;
    double fileVersionFloat;
};

class VersionInfoTranslations : public testing::TestWithParam<TranslationCase> {};

TEST_P(VersionInfoTranslations, FirstEntryNamesTheLanguageAndTheStringTable) {
    const TranslationCase& c = GetParam();
    TdcVersionInfo info;
    ASSERT_EQ("", Load(info, Fixture(c.fixture)));
    EXPECT_EQ(Translation(c.language, c.codePage), info.TranslationValue());
    EXPECT_EQ(c.languageCount, info.LanguageCount());
    EXPECT_EQ(LanguageNameOf(c.language), info.LanguageName());
    EXPECT_EQ(c.companyName, info.CompanyName());
    EXPECT_EQ(c.fileVersion, info.FileVersion());
    EXPECT_DOUBLE_EQ(c.fileVersionFloat, info.FileVersionFloat());
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, VersionInfoTranslations,
    testing::Values(
        TranslationCase{"three_translations.dll", THREE_LANGUAGE_1, THREE_CODE_PAGE_1, 3, THREE_COMPANY_NAME,
                        THREE_FILE_VERSION, THREE_FILE_VERSION_NUMBER},
        TranslationCase{"code_page_1252.dll", CP1252_LANGUAGE, CP1252_CODE_PAGE, 1, CP1252_COMPANY_NAME,
                        CP1252_FILE_VERSION, CP1252_FILE_VERSION_NUMBER},
        TranslationCase{"six_byte_translation.dll", SIX_LANGUAGE, SIX_CODE_PAGE, 1, "", "", 0.0},
        TranslationCase{"other_string_table.dll", OTHER_LANGUAGE, OTHER_CODE_PAGE, 1, "", "", 0.0},
        TranslationCase{"empty_values.dll", EMPTY_LANGUAGE, EMPTY_CODE_PAGE, 1, EMPTY_COMPANY_NAME, "", 0.0}),
    [](const testing::TestParamInfo<TranslationCase>& info) {
        const std::string name = info.param.fixture;
        return name.substr(0, name.find('.'));
    });

TEST(VersionInfoFixtures, StringsUnderAnotherTranslationGiveNumbersAndEmptyTexts) {
    TdcVersionInfo info;
    ASSERT_EQ("", Load(info, Fixture("other_string_table.dll")));
    Results expected = LanguageOnly(OTHER_LANGUAGE, OTHER_CODE_PAGE, 1);
    expected.fileMajorVersion = static_cast<std::int32_t>(MAKELONG(OTHER_FILE_MINOR, OTHER_FILE_MAJOR));
    expected.fileMinorVersion = static_cast<std::int32_t>(MAKELONG(OTHER_FILE_BUILD, OTHER_FILE_RELEASE));
    expected.productMajorVersion = expected.fileMajorVersion;
    expected.fileVerMajor = OTHER_FILE_MAJOR;
    expected.fileVerMinor = OTHER_FILE_MINOR;
    expected.fileVerRelease = OTHER_FILE_RELEASE;
    expected.fileVerBuild = OTHER_FILE_BUILD;
    expected.fileFlagsMask = VS_FFI_FILEFLAGSMASK;
    EXPECT_EQ(expected, Snapshot(info));
}

TEST(VersionInfoFixtures, EmptyAndMissingValuesGiveEmptyTextsAndZeroNumbers) {
    TdcVersionInfo info;
    // Values left from a full read must not survive into the next one.
    ASSERT_EQ("", Load(info, Fixture("full_version.dll")));
    ASSERT_EQ("", Load(info, Fixture("empty_values.dll")));
    EXPECT_EQ(EMPTY_COMPANY_NAME, info.CompanyName());
    for (const std::string& text : {info.Comments(), info.FileDescription(), info.FileVersion(),
                                    info.InternalName(), info.LegalCopyright(), info.LegalTrademark(),
                                    info.OriginalFilename(), info.ProductName(), info.ProductVersion()})
        EXPECT_EQ("", text);
    EXPECT_EQ(0.0, info.FileVersionFloat());
    EXPECT_EQ(0.0, info.ProductVersionFloat());
}

TEST(VersionInfoFixtures, SixByteTableCountsOneEntryAndReadsTheNumbers) {
    TdcVersionInfo info;
    ASSERT_EQ("", Load(info, Fixture("six_byte_translation.dll")));
    Results expected = LanguageOnly(SIX_LANGUAGE, SIX_CODE_PAGE, 1);
    expected.fileMajorVersion = expected.productMajorVersion = SIX_FILE_VERSION_MS;
    expected.fileMinorVersion = expected.productMinorVersion = SIX_FILE_VERSION_LS;
    expected.fileVerMajor = HIWORD(SIX_FILE_VERSION_MS);
    expected.fileVerMinor = LOWORD(SIX_FILE_VERSION_MS);
    expected.fileVerRelease = HIWORD(SIX_FILE_VERSION_LS);
    expected.fileVerBuild = LOWORD(SIX_FILE_VERSION_LS);
    expected.fileFlagsMask = SIX_FLAGS_MASK;
    EXPECT_EQ(expected, Snapshot(info));
}

TEST(VersionInfoFixtures, KeysAreAskedInOrderWithUpperCaseHex) {
    RecordingApi api;
    TdcVersionInfo info(api);
    ASSERT_EQ("", Load(info, Fixture("code_page_1252.dll")));
    const std::vector<std::string> expected = {
        "\\VarFileInfo\\Translation",
        "\\",
        "StringFileInfo\\040904E4\\Comments",
        "StringFileInfo\\040904E4\\CompanyName",
        "StringFileInfo\\040904E4\\FileDescription",
        "StringFileInfo\\040904E4\\FileVersion",
        "StringFileInfo\\040904E4\\InternalName",
        "StringFileInfo\\040904E4\\LegalCopyright",
        "StringFileInfo\\040904E4\\LegalTrademarks",
        "StringFileInfo\\040904E4\\OriginalFilename",
        "StringFileInfo\\040904E4\\ProductName",
        "StringFileInfo\\040904E4\\ProductVersion",
    };
    EXPECT_EQ(expected, api.subBlocks);
    EXPECT_EQ(std::vector<DWORD>{CP1252_LANGUAGE}, api.languages);
    EXPECT_EQ(std::vector<std::string>{Fixture("code_page_1252.dll")}, api.paths);
}

struct FailingFixture {
    const char* fixture;
    bool keepsLanguage;  // the translation was read before the failure
};

class VersionInfoFailingFixtures : public testing::TestWithParam<FailingFixture> {};

TEST_P(VersionInfoFailingFixtures, ReportCannotGetAndKeepWhatWasReadBefore) {
    const FailingFixture& c = GetParam();
    TdcVersionInfo info;
    ASSERT_EQ("", Load(info, Fixture("full_version.dll")));
    EXPECT_EQ(kCannotGet, Load(info, Fixture(c.fixture)));
    EXPECT_EQ(Fixture(c.fixture), info.FILENAME());
    EXPECT_EQ(c.keepsLanguage ? LanguageOnly(NOFIXED_LANGUAGE, NOFIXED_CODE_PAGE, 1) : Results{},
              Snapshot(info));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, VersionInfoFailingFixtures,
                         testing::Values(FailingFixture{"no_translation.dll", false},
                                         FailingFixture{"short_translation.dll", false},
                                         FailingFixture{"no_fixed_info.dll", true}),
                         [](const testing::TestParamInfo<FailingFixture>& info) {
                             const std::string name = info.param.fixture;
                             return name.substr(0, name.find('.'));
                         });

TEST(VersionInfoFixtures, LibraryWithoutResourceLoadsSilentlyWithEverythingCleared) {
    // Under Wine such a file gives "resource data not found", the last error
    // that the component passes over without a report.
    DWORD handle = 0;
    SetLastError(0);
    ASSERT_EQ(0u, GetFileVersionInfoSizeA(Fixture("no_version.dll").c_str(), &handle));
    ASSERT_EQ(static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND), GetLastError());

    TdcVersionInfo info;
    ASSERT_EQ("", Load(info, Fixture("full_version.dll")));
    EXPECT_EQ("", Load(info, Fixture("no_version.dll")));
    EXPECT_EQ(Fixture("no_version.dll"), info.FILENAME());
    EXPECT_EQ(Results{}, Snapshot(info));
    EXPECT_EQ(0, info.FileVerMajor() + info.FileVerMinor() + info.FileVerRelease() + info.FileVerBuild());
}

// The platform copies the resource by the size its data entry states; a size
// beyond the file once ended the program with a page fault in that copy (and,
// for the largest, an allocation of gigabytes before it).
TEST(VersionInfoFixtures, AVersionResourceSizeBeyondTheFileIsReportedWithoutAPlatformRead) {
    testutil::TempDir dir;
    const std::string honest = testutil::ReadAll(Fixture("full_version.dll"));
    for (const std::uint32_t size : {0x100000u, 0x10000000u, 0x7FFFFFF0u, 0xFFFFFFFFu}) {
        const std::string lying = testutil::WithVersionResourceSize(honest, size);
        ASSERT_FALSE(lying.empty()) << "no RT_VERSION data entry found in the fixture";
        const std::string path = dir.Write("lying.dll", lying);
        TdcVersionInfo info;
        ASSERT_EQ("", Load(info, Fixture("full_version.dll")));
        EXPECT_EQ(kCannotGet, Load(info, path)) << std::hex << size;
        EXPECT_EQ(path, info.FILENAME());
        EXPECT_EQ(Results{}, Snapshot(info)) << std::hex << size;
        EXPECT_EQ(lying, testutil::ReadAll(path)) << "the file is only read";
    }
    // The same fixture with its own size stated reads as before.
    const std::string path = dir.Write("honest.dll", honest);
    TdcVersionInfo info;
    ASSERT_EQ("", Load(info, path));
    EXPECT_EQ(FULL_COMPANY_NAME, info.CompanyName());
}

TEST(VersionInfoFixtures, SameNameReadsNothingEvenAfterAFailure) {
    RecordingApi api;
    TdcVersionInfo info(api);
    EXPECT_EQ(kCannotGet, Load(info, Fixture("no_translation.dll")));
    api.calls = 0;
    EXPECT_EQ("", Load(info, Fixture("no_translation.dll")));
    EXPECT_EQ(0, api.calls);
    EXPECT_EQ(Results{}, Snapshot(info));
}

TEST(VersionInfoFixtures, SameNameKeepsEarlierResultsWhileAnotherCaseReadsAgain) {
    testutil::TempDir dir;
    const std::string path = dir.Write("lib.dll", testutil::ReadAll(Fixture("full_version.dll")));
    TdcVersionInfo info;
    ASSERT_EQ("", Load(info, path));
    const Results full = Snapshot(info);

    // The file now has no version resource; only a read would notice.
    dir.Write("lib.dll", testutil::ReadAll(Fixture("no_version.dll")));
    EXPECT_EQ("", Load(info, path));
    EXPECT_EQ(full, Snapshot(info));

    std::string otherCase = path;
    otherCase.replace(otherCase.size() - 7, 7, "LIB.DLL");
    EXPECT_EQ("", Load(info, otherCase));
    EXPECT_EQ(otherCase, info.FILENAME());
    EXPECT_EQ(Results{}, Snapshot(info));
}

TEST(VersionInfoFixtures, EmptyNameClearsWithoutAPlatformCall) {
    RecordingApi api;
    TdcVersionInfo info(api);
    ASSERT_EQ("", Load(info, Fixture("full_version.dll")));
    api.calls = 0;
    EXPECT_EQ("", Load(info, ""));
    EXPECT_EQ(0, api.calls);
    EXPECT_EQ("", info.FILENAME());
    EXPECT_EQ(Results{}, Snapshot(info));
    // Emptied, the same path is read again.
    ASSERT_EQ("", Load(info, Fixture("full_version.dll")));
    EXPECT_EQ(FULL_COMPANY_NAME, info.CompanyName());
}

TEST(VersionInfoFixtures, PathsOfAnyLengthArePassedWhole) {
    RecordingApi api;
    TdcVersionInfo info(api);
    // 260 characters naming no file: passed whole, and no file is no report.
    const std::string longest = "C:\\" + std::string(255, 'a') + ".x";
    EXPECT_EQ("", Load(info, longest));
    EXPECT_EQ(std::vector<std::string>{longest}, api.paths);
    EXPECT_EQ(Results{}, Snapshot(info));
}

TEST(VersionInfoFixtures, ALibraryAtTheEndOfALongCyrillicPathIsRead) {
    // Folders of Cyrillic letters: a path beyond 260 UTF-16 units and of
    // twice as many bytes, made and removed through the wide long form.
    testutil::TempDir dir;
    struct Made {
        std::vector<std::wstring> paths;
        ~Made() {
            for (auto it = paths.rbegin(); it != paths.rend(); ++it)
                if (!DeleteFileW(it->c_str())) RemoveDirectoryW(it->c_str());
        }
    } made;
    std::wstring folder = L"\\\\?\\" + testutil::Utf16(dir.path());
    while (folder.size() < 300) {
        folder += L"\\" + std::wstring(60, L'\x0416');
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        made.paths.push_back(folder);
    }
    const std::wstring file = folder + L"\\\x0432\x0435\x0440\x0441\x0438\x044F.dll";
    ASSERT_TRUE(CopyFileW(testutil::Utf16(Fixture("full_version.dll")).c_str(), file.c_str(), FALSE));
    made.paths.push_back(file);

    TdcVersionInfo info;
    EXPECT_EQ("", Load(info, testutil::Utf8(file.substr(4))));
    EXPECT_EQ(FULL_COMPANY_NAME, info.CompanyName());
}

TEST(VersionInfoFixtures, DesignModeShowsTheFailureInsteadOfRaisingIt) {
    testutil::MessageBoxRecorder boxes;
    TdcVersionInfo info;
    info.Name = "fver1";
    info.Designing = true;
    EXPECT_EQ("", Load(info, Fixture("no_fixed_info.dll")));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(kCannotGet, boxes.boxes()[0].text);
    EXPECT_EQ("fver1", boxes.boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.boxes()[0].flags);
    // The read ended where it failed, as when running.
    EXPECT_EQ(LanguageOnly(NOFIXED_LANGUAGE, NOFIXED_CODE_PAGE, 1), Snapshot(info));
}

// ---- A fake platform --------------------------------------------------------

// Answers like the version API for a file with a complete resource under
// 0409/04E4, until a test takes parts of it away. Values live in the fake's
// own storage so that a test can overwrite them after the read.
class FakeVersionApi : public IVersionApi {
public:
    static constexpr DWORD kHandle = 0x1234;

    FakeVersionApi() {
        values["\\VarFileInfo\\Translation"] = Bytes(MAKELONG(0x0409, 0x04E4));
        VS_FIXEDFILEINFO fixed{};
        fixed.dwSignature = VS_FFI_SIGNATURE;
        fixed.dwFileVersionMS = MAKELONG(2, 1);
        fixed.dwFileVersionLS = MAKELONG(4, 3);
        fixed.dwProductVersionMS = MAKELONG(6, 5);
        fixed.dwProductVersionLS = MAKELONG(8, 7);
        fixed.dwFileFlagsMask = 0x3F;
        fixed.dwFileFlags = 0x41;
        values["\\"] = std::string(reinterpret_cast<const char*>(&fixed), sizeof fixed);
        for (const char* name : {"Comments", "CompanyName", "FileDescription", "InternalName",
                                 "LegalCopyright", "LegalTrademarks", "OriginalFilename", "ProductName"})
            values[std::string("StringFileInfo\\040904E4\\") + name] = std::string("fake ") + name + '\0';
        values["StringFileInfo\\040904E4\\FileVersion"] = std::string("3.25.1.1") + '\0';
        values["StringFileInfo\\040904E4\\ProductVersion"] = std::string("7.5") + '\0';
    }

    static std::string Bytes(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), sizeof v); }

    DWORD GetFileVersionInfoSize(const char*, DWORD* handle, DWORD* lastError) override {
        ++calls;
        *handle = kHandle;
        *lastError = sizeLastError;
        return size;
    }
    bool GetFileVersionInfo(const char*, DWORD handle, DWORD givenSize, void* block) override {
        ++calls;
        EXPECT_EQ(kHandle, handle);
        EXPECT_EQ(size, givenSize);
        filledBlock = block;
        std::memset(block, 0xA5, givenSize);
        return fills;
    }
    bool VerQueryValue(const void* block, const char* subBlock, void** value, UINT* length) override {
        ++calls;
        EXPECT_EQ(filledBlock, block) << "queried a block that GetFileVersionInfo did not fill";
        const auto it = values.find(subBlock);
        if (it == values.end()) return false;
        *value = &it->second[0];
        *length = static_cast<UINT>(it->second.size());
        return true;
    }
    void VerLanguageName(DWORD language, char* buffer, DWORD bufferSize) override {
        ++calls;
        std::snprintf(buffer, bufferSize, "Language %04lX", static_cast<unsigned long>(language));
    }

    DWORD size = 512;
    DWORD sizeLastError = 0;
    bool fills = true;
    std::map<std::string, std::string> values;
    const void* filledBlock = nullptr;
    int calls = 0;
};

Results FakeLanguageOnly() {
    Results r;
    r.translationValue = Translation(0x0409, 0x04E4);
    r.languageCount = 1;
    r.languageName = "Language 0409";
    return r;
}

TEST(VersionInfoFake, CompleteAnswerFillsEveryResultWithCopies) {
    FakeVersionApi api;
    TdcVersionInfo info(api);
    ASSERT_EQ("", Load(info, "a.dll"));
    const Results read = Snapshot(info);
    EXPECT_EQ("fake CompanyName", read.companyName);
    EXPECT_EQ("fake LegalTrademarks", read.legalTrademark);
    EXPECT_DOUBLE_EQ(3.25, read.fileVersionFloat);
    EXPECT_DOUBLE_EQ(7.5, read.productVersionFloat);
    EXPECT_EQ(0x41, read.fileFlags);

    // Nothing the component holds may point into what the platform handed out.
    for (auto& entry : api.values) std::fill(entry.second.begin(), entry.second.end(), 'X');
    EXPECT_EQ(read, Snapshot(info));
}

struct FakeFailure {
    const char* name;
    void (*breakApi)(FakeVersionApi&);
    const char* message;  // empty: no report
    bool keepsLanguage;
};

class VersionInfoFakeFailures : public testing::TestWithParam<FakeFailure> {};

TEST_P(VersionInfoFakeFailures, ReportAndLeaveTheResultsOfTheTable) {
    const FakeFailure& c = GetParam();
    FakeVersionApi api;
    TdcVersionInfo info(api);
    ASSERT_EQ("", Load(info, "good.dll"));
    ASSERT_NE(Results{}, Snapshot(info));

    c.breakApi(api);
    EXPECT_EQ(c.message, Load(info, "bad.dll"));
    EXPECT_EQ("bad.dll", info.FILENAME());
    EXPECT_EQ(c.keepsLanguage ? FakeLanguageOnly() : Results{}, Snapshot(info));

    // The failed name is not read again, nor reported again.
    api.calls = 0;
    EXPECT_EQ("", Load(info, "bad.dll"));
    EXPECT_EQ(0, api.calls);
}

void SizeZero(FakeVersionApi& api, DWORD lastError) {
    api.size = 0;
    api.sizeLastError = lastError;
}

const FakeFailure kFakeFailures[] = {
    {"ResourceTypeNotFound", [](FakeVersionApi& a) { SizeZero(a, ERROR_RESOURCE_TYPE_NOT_FOUND); },
     kNoVersionInfo, false},
    {"SizeZeroWithoutError", [](FakeVersionApi& a) { SizeZero(a, 0); }, kCannotGet, false},
    {"SizeZeroFileNotFound", [](FakeVersionApi& a) { SizeZero(a, ERROR_FILE_NOT_FOUND); }, "", false},
    {"SizeZeroDataNotFound", [](FakeVersionApi& a) { SizeZero(a, ERROR_RESOURCE_DATA_NOT_FOUND); }, "",
     false},
    {"BlockNotFilled", [](FakeVersionApi& a) { a.fills = false; }, kCannotGet, false},
    {"NoTranslation", [](FakeVersionApi& a) { a.values.erase("\\VarFileInfo\\Translation"); }, kCannotGet,
     false},
    {"EmptyTranslation", [](FakeVersionApi& a) { a.values["\\VarFileInfo\\Translation"].clear(); },
     kCannotGet, false},
    {"ThreeByteTranslation", [](FakeVersionApi& a) { a.values["\\VarFileInfo\\Translation"].resize(3); },
     kCannotGet, false},
    {"NoRoot", [](FakeVersionApi& a) { a.values.erase("\\"); }, kCannotGet, true},
    {"RootShorterThanFixedInfo",
     [](FakeVersionApi& a) { a.values["\\"].resize(sizeof(VS_FIXEDFILEINFO) - 1); }, kCannotGet, true},
};

INSTANTIATE_TEST_SUITE_P(Steps, VersionInfoFakeFailures, testing::ValuesIn(kFakeFailures),
                         [](const testing::TestParamInfo<FakeFailure>& info) { return info.param.name; });

// Bytes of address space the process has reserved or committed.
SIZE_T UsedAddressSpace() {
    SIZE_T used = 0;
    MEMORY_BASIC_INFORMATION mbi;
    for (const char* p = nullptr; VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi;
         p = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize) {
        if (mbi.State != MEM_FREE) used += mbi.RegionSize;
        if (static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize < p) break;
    }
    return used;
}

TEST(VersionInfoFake, BlockIsReleasedOnEveryPath) {
    // Blocks this large come straight from the system, so one that is kept
    // shows in the address space at once.
    constexpr DWORD kBlock = 8 << 20;
    constexpr int kRounds = 24;
    for (const FakeFailure& c : kFakeFailures) {
        SCOPED_TRACE(c.name);
        FakeVersionApi api;
        api.size = kBlock;
        c.breakApi(api);
        if (api.size == 0) continue;  // no block is allocated on these paths
        TdcVersionInfo info(api);
        const SIZE_T before = UsedAddressSpace();
        for (int i = 0; i < kRounds; ++i) Load(info, i % 2 ? "odd.dll" : "even.dll");
        EXPECT_LT(UsedAddressSpace(), before + 2 * kBlock);
    }
    FakeVersionApi api;
    api.size = kBlock;
    TdcVersionInfo info(api);
    const SIZE_T before = UsedAddressSpace();
    for (int i = 0; i < kRounds; ++i) ASSERT_EQ("", Load(info, i % 2 ? "odd.dll" : "even.dll"));
    EXPECT_LT(UsedAddressSpace(), before + 2 * kBlock);
}

TEST(VersionInfoFake, DesignModeShowsEachReportUnderTheComponentsName) {
    testutil::MessageBoxRecorder boxes;
    FakeVersionApi api;
    api.size = 0;
    api.sizeLastError = ERROR_RESOURCE_TYPE_NOT_FOUND;
    TdcVersionInfo info(api);
    info.Name = "fver1";
    info.Designing = true;
    EXPECT_EQ("", Load(info, "a.dll"));
    api.sizeLastError = ERROR_FILE_NOT_FOUND;
    EXPECT_EQ("", Load(info, "b.dll"));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(kNoVersionInfo, boxes.boxes()[0].text);
    EXPECT_EQ("fver1", boxes.boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.boxes()[0].flags);
}

}  // namespace
