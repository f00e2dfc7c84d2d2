// The signature component on real signed files of both image kinds
// (tests/fixtures/signing: osslsigncode and openssl at build time), with the
// test root trusted for the cases that need it, and on those files changed
// and damaged. Also what the platform's WinVerifyTrust checks by itself,
// which decides what the program must check on its own.
#include <windows.h>

#include <softpub.h>
#include <wintrust.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/handles.h"
#include "components/authenticode.h"
#include "components/filepass.h"
#include "components/filesignature.h"
#include "signedfiles.h"
#include "testutil.h"

namespace {

using authenticode::SignatureStatus;
using testutil::SignedFile;

const char* const kKinds[] = {"pe32", "pe32plus"};

FileSignature Check(const std::string& path) {
    const CancelToken never;
    return CheckFileSignature(path, never);
}

// WinVerifyTrust alone, as the component calls it.
LONG PlatformVerdict(const std::string& path) {
    base::UniqueFile file(OpenFileForReading(path, FILE_SHARE_READ));
    return VerifyTrust(file.get(), path);
}

authenticode::ReadAt ReaderOf(const std::string& bytes) {
    return [&bytes](std::uint64_t offset, void* out, std::size_t size) {
        if (offset > bytes.size() || size > bytes.size() - offset) return false;
        if (size) memcpy(out, bytes.data() + offset, size);
        return true;
    };
}

authenticode::PeLayout Layout(const std::string& bytes) {
    authenticode::PeLayout layout;
    std::string reason;
    authenticode::ReadLayout(ReaderOf(bytes), bytes.size(), layout, reason);
    return layout;
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
}

// The changed image with its own digest written into the signature in place
// of the signed one: the image matches the digest, but the signer never
// signed that digest.
std::string Forged(const char* kind) {
    const std::string original = testutil::ReadAll(SignedFile(std::string(kind) + "-trusted.exe"));
    std::string forged = testutil::ReadAll(SignedFile(std::string(kind) + "-changed.exe"));
    const CancelToken never;
    const authenticode::OwnCheck signedOne =
        authenticode::CheckImage(ReaderOf(original), original.size(), never);
    const authenticode::PeLayout layout = Layout(forged);
    std::vector<std::uint8_t> digest;
    authenticode::DigestRanges(ReaderOf(forged), layout.hashed, DigestKind::SHA256, never, digest);
    const std::string oldDigest(signedOne.data.imageDigest.begin(), signedOne.data.imageDigest.end());
    const std::size_t at = forged.find(oldDigest, layout.certTableAt);
    if (at != std::string::npos) forged.replace(at, digest.size(), std::string(digest.begin(), digest.end()));
    return forged;
}

// One byte of the signer's signature value changed.
std::string SignatureFlipped(const char* kind) {
    std::string bytes = testutil::ReadAll(SignedFile(std::string(kind) + "-self.exe"));
    const CancelToken never;
    const authenticode::OwnCheck check = authenticode::CheckImage(ReaderOf(bytes), bytes.size(), never);
    const authenticode::PeLayout layout = Layout(bytes);
    const std::size_t at = layout.certTableAt + 8 +
                           static_cast<std::size_t>(check.data.signatureValue.data - check.blob.data()) +
                           check.data.signatureValue.size / 2;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
    return bytes;
}

TEST(Signature, ThePlatformChecksTheImageDigestButNotWhatTheProgramChecksItself) {
    testutil::TempDir dir;
    for (const char* kind : kKinds) {
        SCOPED_TRACE(kind);
        // WinVerifyTrust finds a changed image by its digest ...
        EXPECT_EQ(TRUST_E_BAD_DIGEST, PlatformVerdict(SignedFile(std::string(kind) + "-changed.exe")));
        // ... and what it answers for a digest the signer never signed, for an
        // untrusted root and for an expired certificate is recorded here;
        // the program's verdict does not depend on it.
        const std::string forged = dir.Write(std::string(kind) + "-forged.exe", Forged(kind));
        const LONG forgedCode = PlatformVerdict(forged);
        const LONG selfCode = PlatformVerdict(SignedFile(std::string(kind) + "-self.exe"));
        const LONG expiredCode = PlatformVerdict(SignedFile(std::string(kind) + "-expired.exe"));
        const LONG twinCode = PlatformVerdict(SignedFile(std::string(kind) + "-twin.exe"));
        std::printf(
            "  WinVerifyTrust (%s): forged digest %08lX, self-signed %08lX, expired %08lX, "
            "twin certificate %08lX\n",
            kind, static_cast<unsigned long>(forgedCode), static_cast<unsigned long>(selfCode),
            static_cast<unsigned long>(expiredCode), static_cast<unsigned long>(twinCode));
        EXPECT_EQ(SignatureStatus::Changed, Check(forged).status);
        EXPECT_EQ(SignatureStatus::NotTrusted, Check(SignedFile(std::string(kind) + "-self.exe")).status);
    }
}

TEST(Signature, EveryCaseOfBothImageKinds) {
    testutil::TrustedTestRoot root;
    if (!root.Added()) GTEST_SKIP() << "the test root is trusted only in a Wine prefix";
    struct Case {
        const char* name;
        SignatureStatus status;
        std::string signer;
        const char* issuer;
        const char* digest;
        bool timestamp;
    };
    const Case cases[] = {
        {"self", SignatureStatus::NotTrusted, "Self Signed Example", "Self Signed Example", "SHA-256", false},
        {"trusted", SignatureStatus::Valid, "Example Corp", "Vantrel Test Root", "SHA-256", true},
        {"changed", SignatureStatus::Changed, "Example Corp", "Vantrel Test Root", "SHA-256", true},
        {"sha1", SignatureStatus::Valid, "Example Corp", "Vantrel Test Root", "SHA-1", false},
        // A digest the program cannot compute is never called valid.
        {"sha384", SignatureStatus::NotTrusted, "Example Corp", "Vantrel Test Root", "SHA-384", false},
        {"org", SignatureStatus::Valid, "Example Org", "Vantrel Test Root", "SHA-256", false},
        {"expired", SignatureStatus::Expired, "Expired Example", "Vantrel Test Root", "SHA-256", false},
        // Expired since, but the timestamp shows it was valid when it signed.
        {"stamped", SignatureStatus::Valid, "Expired Example", "Vantrel Test Root", "SHA-256", true},
        // A timestamp by a time-stamping certificate nobody trusts excuses nothing.
        {"selfstamped", SignatureStatus::Expired, "Expired Example", "Vantrel Test Root", "SHA-256", true},
        {"overlay", SignatureStatus::Valid, "Example Corp", "Vantrel Test Root", "SHA-256", false},
        {"nested", SignatureStatus::Valid, "Example Corp", "Vantrel Test Root", "SHA-256", true},
        // Windows refuses MD5 for code signing; SHA-1 above still verifies.
        {"md5", SignatureStatus::NotTrusted, "Example Corp", "Vantrel Test Root", "MD5", false},
        // The whole name, past a NUL and with its control characters.
        {"nulname", SignatureStatus::Valid, std::string("Microsoft Corporation\0 Evil Inc", 31),
         "Vantrel Test Root", "SHA-256", false},
        {"ctlname", SignatureStatus::Valid, "Example Corp\r\nSignature: Valid\r\nMD5: 000\tx\x1b[0m",
         "Vantrel Test Root", "SHA-256", false},
        // A second certificate with the signer's issuer and serial number names
        // nobody: the signer is the certificate whose key verifies. The
        // platform's check takes the twin and refuses (TRUST_E_CERT_SIGNATURE).
        {"twin", SignatureStatus::NotTrusted, "Example Corp", "Vantrel Test Root", "SHA-256", false},
        {"unsigned", SignatureStatus::NotSigned, "", "", "", false},
    };
    for (const char* kind : kKinds) {
        for (const Case& c : cases) {
            const std::string name = std::string(kind) + "-" + c.name + ".exe";
            SCOPED_TRACE(name);
            const FileSignature s = Check(SignedFile(name));
            EXPECT_EQ(c.status, s.status) << s.note;
            EXPECT_EQ(c.signer, s.signer);
            EXPECT_EQ(c.issuer, s.issuer);
            EXPECT_EQ(c.digest, s.digestAlgorithm);
            EXPECT_EQ(c.timestamp, s.hasTimestamp);
            EXPECT_FALSE(s.stopped);
        }
    }
}

TEST(Signature, AWeakDigestSaysWhy) {
    for (const char* kind : kKinds) {
        const FileSignature s = Check(SignedFile(std::string(kind) + "-md5.exe"));
        EXPECT_EQ(SignatureStatus::NotTrusted, s.status) << kind;
        EXPECT_NE(std::string::npos, s.note.find("weak digest")) << s.note;
    }
}

TEST(Signature, ACertificateOfTheChainInADisallowedStoreIsNotTrusted) {
    testutil::TrustedTestRoot root;
    if (!root.Added()) GTEST_SKIP() << "the test root is trusted only in a Wine prefix";
    struct Case {
        const char* cer;
        DWORD location;
        const char* name;
    };
    const Case cases[] = {
        {"leaf.cer", CERT_SYSTEM_STORE_CURRENT_USER, "Example Corp"},
        {"leaf.cer", CERT_SYSTEM_STORE_LOCAL_MACHINE, "Example Corp"},
        {"root.cer", CERT_SYSTEM_STORE_CURRENT_USER, "Vantrel Test Root"},
        {"root.cer", CERT_SYSTEM_STORE_LOCAL_MACHINE, "Vantrel Test Root"},
    };
    for (const char* kind : kKinds) {
        const std::string file = SignedFile(std::string(kind) + "-trusted.exe");
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(kind) + ": " + c.cer +
                         (c.location == CERT_SYSTEM_STORE_CURRENT_USER ? " (user)" : " (machine)"));
            {
                testutil::DistrustedCertificate distrusted(c.cer, c.location);
                ASSERT_TRUE(distrusted.Added());
                const FileSignature s = Check(file);
                EXPECT_EQ(SignatureStatus::NotTrusted, s.status);
                EXPECT_NE(std::string::npos,
                          s.note.find(std::string("\"") + c.name + "\" is in the Disallowed store"))
                    << s.note;
                EXPECT_EQ("Example Corp", s.signer);
            }
            const FileSignature again = Check(file);
            EXPECT_EQ(SignatureStatus::Valid, again.status) << again.note;
            EXPECT_TRUE(again.note.empty()) << again.note;
        }
    }
}

TEST(Signature, WithoutTheTestRootNothingIsValid) {
    for (const char* kind : kKinds) {
        for (const char* name : {"trusted", "sha1", "org", "overlay", "nested"}) {
            const FileSignature s = Check(SignedFile(std::string(kind) + "-" + name + ".exe"));
            EXPECT_EQ(SignatureStatus::NotTrusted, s.status) << kind << " " << name;
        }
    }
}

TEST(Signature, TheTimestampIsShownInLocalTime) {
    SYSTEMTIME utc{};
    utc.wYear = 2026;
    utc.wMonth = 5;
    utc.wDay = 1;
    utc.wHour = 12;
    SYSTEMTIME local{};
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    for (const char* kind : kKinds) {
        const FileSignature s = Check(SignedFile(std::string(kind) + "-trusted.exe"));
        ASSERT_TRUE(s.hasTimestamp);
        EXPECT_EQ(local.wYear, s.timestamp.year);
        EXPECT_EQ(local.wMonth, s.timestamp.month);
        EXPECT_EQ(local.wDay, s.timestamp.day);
        EXPECT_EQ(local.wHour, s.timestamp.hour);
        EXPECT_EQ(local.wMinute, s.timestamp.minute);
    }
}

TEST(Signature, DamagedAndHostileFilesGiveAStatusAndNeverValid) {
    testutil::TrustedTestRoot root;
    testutil::TempDir dir;
    for (const char* kind : kKinds) {
        const std::string good = testutil::ReadAll(SignedFile(std::string(kind) + "-trusted.exe"));
        const authenticode::PeLayout layout = Layout(good);
        const std::size_t entry = static_cast<std::size_t>(layout.certEntryAt);
        struct Case {
            const char* what;
            std::string bytes;
            SignatureStatus status;
        };
        std::vector<Case> cases;
        cases.push_back({"forged digest", Forged(kind), SignatureStatus::Changed});
        cases.push_back({"signature value changed", SignatureFlipped(kind), SignatureStatus::Changed});
        cases.push_back(
            {"truncated table", good.substr(0, layout.certTableAt + 200), SignatureStatus::Changed});
        std::string pastEnd = good;
        Put32(pastEnd, entry + 4, layout.certTableSize + 4096);
        cases.push_back({"size past the end", pastEnd, SignatureStatus::Changed});
        std::string garbage = good;
        for (std::size_t i = layout.certTableAt + 8; i < garbage.size(); ++i)
            garbage[i] = static_cast<char>(i * 13);
        cases.push_back({"garbage blob", garbage, SignatureStatus::Changed});
        cases.push_back({"bytes appended", good + "appended", SignatureStatus::Changed});
        std::string huge = good.substr(0, layout.certTableAt);
        const std::uint32_t hugeSize = authenticode::kMaxCertificateTable + (1u << 20);
        Put32(huge, entry + 4, hugeSize);
        std::string table(hugeSize, '\0');
        Put32(table, 0, hugeSize);
        table[5] = 2;
        table[6] = 2;
        huge += table;
        cases.push_back({"5 MiB table", huge, SignatureStatus::Changed});
        std::string big = good.substr(0, layout.certTableAt);
        const std::uint32_t bigSize = 3u << 20;
        Put32(big, entry + 4, bigSize);
        std::string bigTable(bigSize, '\x30');
        Put32(bigTable, 0, bigSize);
        bigTable[4] = 0;
        bigTable[5] = 2;
        bigTable[6] = 2;
        bigTable[7] = 0;
        big += bigTable;
        cases.push_back({"3 MiB blob of garbage", big, SignatureStatus::Changed});
        cases.push_back({"text", "just some text\r\n", SignatureStatus::None});
        cases.push_back({"empty", "", SignatureStatus::None});
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(kind) + ": " + c.what);
            const std::string path = dir.Write(std::string(kind) + "-case.bin", c.bytes);
            const FileSignature s = Check(path);
            EXPECT_EQ(c.status, s.status) << s.note;
            if (c.status == SignatureStatus::Changed) {
                EXPECT_FALSE(s.note.empty());
            }
            // A name is shown only from the certificate the signature verified.
            if (std::string(c.what) == "signature value changed") {
                EXPECT_EQ("", s.signer);
                EXPECT_EQ("", s.issuer);
            }
        }
    }
}

// Bytes added inside the certificate table, which the image hash leaves
// out: the table no longer is what the signer wrote, so the file is changed
// after signing, however the platform answers.
TEST(Signature, BytesAddedInsideTheCertificateTableAreChangedAfterSigning) {
    testutil::TrustedTestRoot root;
    if (!root.Added()) GTEST_SKIP() << "the test root is trusted only in a Wine prefix";
    testutil::TempDir dir;
    for (const char* kind : kKinds) {
        const std::string good = testutil::ReadAll(SignedFile(std::string(kind) + "-trusted.exe"));
        const authenticode::PeLayout layout = Layout(good);
        const std::size_t table = layout.certTableAt;
        const std::size_t dirSize = static_cast<std::size_t>(layout.certEntryAt) + 4;
        struct Case {
            const char* what;
            std::string bytes;
        };
        std::vector<Case> cases;
        std::string appended = good + std::string(64 * 1024, '\0');
        Put32(appended, dirSize, layout.certTableSize + 64 * 1024);
        cases.push_back({"64 KiB appended and the directory's size grown over them", appended});
        std::string longer = good + std::string(8, '\0');
        Put32(longer, table, layout.certTableSize + 8);
        Put32(longer, dirSize, layout.certTableSize + 8);
        cases.push_back({"the entry's length grown by 8", longer});
        std::string version = good;
        ASSERT_EQ(std::string("\x02\x01\x01", 3), version.substr(table + 8 + 23, 3));
        version[table + 8 + 25] = 3;  // the SignedData's version
        cases.push_back({"the SignedData's version 3", version});

        const std::string path = dir.Write(std::string(kind) + "-good.exe", good);
        EXPECT_EQ(SignatureStatus::Valid, Check(path).status) << kind << ": the untouched file";
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(kind) + ": " + c.what);
            const FileSignature s = Check(dir.Write(std::string(kind) + "-case.exe", c.bytes));
            EXPECT_EQ(SignatureStatus::Changed, s.status) << s.note;
            EXPECT_STREQ("Changed after signing", authenticode::SignatureStatusText(s.status));
            EXPECT_FALSE(s.note.empty());
        }
    }
}

TEST(Signature, AFileHeldForWritingIsNotCheckedAndAStoppedCheckSaysNothing) {
    testutil::TempDir dir;
    const std::string path = dir.Write("held.exe", testutil::ReadAll(SignedFile("pe32plus-trusted.exe")));
    {
        HANDLE held = testutil::OpenForWriting(path);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        const FileSignature s = Check(path);
        CloseHandle(held);
        EXPECT_EQ(SignatureStatus::None, s.status);
        EXPECT_FALSE(s.note.empty()) << "the reason it was not opened";
    }
    CancelToken stopped;
    stopped.Stop();
    const FileSignature s = CheckFileSignature(path, stopped);
    EXPECT_TRUE(s.stopped);
    EXPECT_EQ(SignatureStatus::None, s.status);
}

}  // namespace
