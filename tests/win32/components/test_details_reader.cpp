// The console's reader against the plain reading that the window's load
// does: on a varied set of real files, the reader's shortcuts (no version
// query for a file that is no module, display and type names from a kept
// shell folder and a type per extension) give exactly the same texts, the
// same outcome and the same reason.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/details/datetimesettings.h"
#include "app/details/detailrows.h"
#include "app/details/detailsreader.h"
#include "app/details/detailtexts.h"
#include "app/details/readdetails.h"
#include "components/dcUtils.h"
#include "longpaths.h"
#include "signedfiles.h"
#include "testutil.h"

namespace {

using testutil::TempDir;

// The window's order: the version resource, the directory entry and shell
// names, then one pass for the checksum and the digest.
bool PlainRead(const std::string& path, FileDetails& details, std::string& reason) {
    if (!NamesAFile(path, reason)) return false;
    try {
        TdcVersionInfo fver1;
        TdcFileInfo Finfo1;
        Finfo1.SetIconsWanted(false);
        fver1.SetFILENAME(path);
        Finfo1.SetFILENAME(path);
        details = DetailsOf(Finfo1, fver1);
        ChecksumWants wants;
        wants.crc = TdcFileCRCMethod::crc32;
        wants.crcOfHeldFile = false;
        const ChecksumPass pass = ReadChecksums(path, wants);
        if (pass.openError != ERROR_SUCCESS) throw CannotOpenFile(path, pass.openError);
        RaiseIfChangedWhileRead(pass.result, path);
        details.crc = pass.crc;
        details.md5 = pass.md5;
        return true;
    } catch (const std::exception& e) {
        reason = e.what();
        return false;
    }
}

std::string Fixture(const char* name) {
    return testutil::ReadAll(testutil::WindowsPath(std::string(VANTREL_FIXTURES_DIR) + "/" + name));
}

TEST(DetailsReader, GivesExactlyThePlainReadingsTextsOnVariedFiles) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA(dir.Path("sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(dir.Path("other").c_str(), nullptr));
    std::vector<std::string> files = {
        dir.Write("a.txt", "text"),
        dir.Write("B.TXT", "upper"),
        dir.Write("c.txt", "same extension again"),
        dir.Write("noext", "none"),
        dir.Write(".hidden", "dot"),
        dir.Write("archive.tar.gz", "two dots"),
        dir.Write("with space.doc", "blank"),
        dir.Write("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.txt", "cyrillic"),
        dir.Write("empty.bin", ""),
        dir.Write("one.bin", "M"),
        dir.Write("mz.bin", "MZ but no module"),
        dir.Write("zm.bin", "ZM"),
        dir.Write("sub\\full.dll", Fixture("full_version.dll")),
        dir.Write("sub\\full.exe", Fixture("full_version.dll")),
        dir.Write("sub\\plain.dll", Fixture("no_version.dll")),
        dir.Write("sub\\a.txt", "another folder"),
        dir.Write("other\\cyr.dll", Fixture("cyrillic_version.dll")),
        dir.Write("other\\x.lnk", "not a real shortcut"),
        dir.Write("other\\y.url", "[InternetShortcut]\r\nURL=http://example.invalid/\r\n"),
        dir.Write("other\\z.ZIP", "PK\x03\x04"),
        dir.Write("other\\image.png", "\x89PNG"),
        dir.Path("missing.txt"),
        dir.Path("sub"),
    };
    // A path beyond the classic limit, which the shell's query does not take.
    const testutil::LongTarget deep = testutil::MakeLongTarget(dir.path(), 300, 20);
    ASSERT_TRUE(testutil::WriteLong(deep.path, "far"));
    files.push_back(deep.path);

    DetailsReader reader;
    const DateTimeFormat& format = CurrentDateTimeFormat();
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        FileDetails plain, fast;
        std::string plainReason, fastReason;
        const bool plainOk = PlainRead(path, plain, plainReason);
        const bool fastOk = reader.Read(path, fast, fastReason);
        ASSERT_EQ(plainOk, fastOk);
        EXPECT_EQ(plainReason, fastReason);
        if (!plainOk) continue;
        for (const DetailRow& row : kDetailRows) {
            EXPECT_EQ(RowText(plain, row.id, format), RowText(fast, row.id, format)) << "row " << row.id;
            EXPECT_EQ(RowChecked(plain, row.id), RowChecked(fast, row.id)) << "row " << row.id;
        }
        EXPECT_EQ(RowText(plain, fields::edt19, format), RowText(fast, fields::edt19, format));
    }
    testutil::RemoveLongTree(deep.folder);
}

// The signature column's text comes from the verdict on the real file: each
// status the signed fixtures reach, for both image kinds, and the empty text
// for a file that cannot carry a signature.
TEST(DetailsReader, TheSignatureTextIsTheVerdictOnTheFile) {
    TempDir dir;
    const std::string notes = dir.Write("notes.txt", "not a program\r\n");
    struct Case {
        std::string file;
        const char* signature;
        const char* signer;
    };
    const auto read = [](const std::string& path, FileDetails& details) {
        DetailsReader reader(true);
        std::string reason;
        return reader.Read(path, details, reason);
    };
    {
        testutil::TrustedTestRoot root;
        if (!root.Added()) GTEST_SKIP() << "the test root is trusted only in a Wine prefix";
        std::vector<Case> cases;
        for (const std::string kind : {"pe32", "pe32plus"}) {
            cases.push_back({testutil::SignedFile(kind + "-trusted.exe"), "Valid", "Example Corp"});
            cases.push_back({testutil::SignedFile(kind + "-self.exe"), "Not trusted", "Self Signed Example"});
            cases.push_back(
                {testutil::SignedFile(kind + "-changed.exe"), "Changed after signing", "Example Corp"});
            cases.push_back({testutil::SignedFile(kind + "-expired.exe"), "Expired", "Expired Example"});
            // Expired since, but the timestamp shows it was valid when it signed.
            cases.push_back({testutil::SignedFile(kind + "-stamped.exe"), "Valid", "Expired Example"});
            cases.push_back({testutil::SignedFile(kind + "-unsigned.exe"), "Not signed", ""});
        }
        cases.push_back({notes, "", ""});
        for (const Case& c : cases) {
            SCOPED_TRACE(c.file);
            FileDetails details;
            ASSERT_TRUE(read(c.file, details));
            EXPECT_EQ(c.signature, details.signature);
            EXPECT_EQ(c.signer, details.signer);
        }
    }
    // Without the root, the same signature is no longer trusted.
    FileDetails details;
    ASSERT_TRUE(read(testutil::SignedFile("pe32plus-trusted.exe"), details));
    EXPECT_EQ("Not trusted", details.signature);
    // Without the signature wanted, nothing is said of it.
    DetailsReader plain;
    std::string reason;
    ASSERT_TRUE(plain.Read(testutil::SignedFile("pe32plus-trusted.exe"), details, reason));
    EXPECT_EQ("", details.signature);
}

}  // namespace
