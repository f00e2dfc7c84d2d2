// The console's /check with signed checksum lists: keys and signatures made
// by gpg, minisign and signify-openbsd outside Wine at test time
// (tests/fixtures/signing/make-signed-lists.sh), each case in a folder of
// its own with the list, its signature under the name /check looks for,
// and the listed files. Checks the signature line on standard error, the
// per-file lines, and the exit code: a bad signature fails the run whatever
// the hashes say; /require-signature also fails an unknown key or none.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "driver.h"
#include "testutil.h"

namespace {

using testutil::TempDir;

class CheckSignature : public testing::Test {
protected:
    static void SetUpTestSuite() {
        made_ = new TempDir();
        const std::string unixDir = testutil::UnixPath(made_->path());
        ASSERT_FALSE(unixDir.empty());
        ASSERT_TRUE(testutil::RunUnixShell(std::string("bash '") + VANTREL_SIGNING_DIR +
                                           "/make-signed-lists.sh' '" + unixDir + "' >'" + unixDir +
                                           "/make.log' 2>&1"));
        ASSERT_FALSE(testutil::ReadAll(made_->Path("SHA256.sig")).empty())
            << testutil::ReadAll(made_->Path("make.log"));
    }
    static void TearDownTestSuite() {
        delete made_;
        made_ = nullptr;
    }
    static std::string Made(const std::string& name) { return testutil::ReadAll(made_->Path(name)); }

    // A folder with the listed files and, for each pair, Made(from) written as `to`.
    void Lay(const std::vector<std::pair<std::string, std::string>>& files) {
        dir_ = std::make_unique<TempDir>();
        dir_->Write("empty.txt", "");
        dir_->Write("hello.txt", "hello world\n");
        for (const auto& f : files) dir_->Write(f.second, Made(f.first));
    }
    e2e::ConsoleRun Run(const std::string& arguments) {
        return e2e::RunConsoleProgram(dir_->path(), arguments);
    }

    static TempDir* made_;
    std::unique_ptr<TempDir> dir_;
};

TempDir* CheckSignature::made_ = nullptr;

const char kBothOk[] = "empty.txt: OK\r\nhello.txt: OK\r\n";

TEST_F(CheckSignature, GoodSignaturesBesideTheListInEachFormat) {
    struct Case {
        const char* sig;
        const char* as;
        const char* key;
        const char* line;
    };
    const Case cases[] = {
        {"rsa.sig", "SHA256SUMS.sig", "release.asc",
         "SHA256SUMS: Good signature from \"Example Release <release@example.org>\" (RSA 3072 key 0x"},
        {"ed.asc.sig", "SHA256SUMS.asc", "ed.gpg",
         "SHA256SUMS: Good signature from \"Ed Release <ed@example.org>\" (Ed25519 key 0x"},
        {"sub.sig", "SHA256SUMS.gpg", "sub.asc",
         "SHA256SUMS: Good signature from \"Sub Release <sub@example.org>\" (Ed25519 key 0x"},
        {"mini.minisig", "SHA256SUMS.minisig", "mini.pub", "SHA256SUMS: Good signature from \""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sig);
        Lay({{"SHA256SUMS", "SHA256SUMS"}, {c.sig, c.as}, {c.key, "trusted.key"}});
        const e2e::ConsoleRun r = Run("/check SHA256SUMS /key trusted.key /require-signature");
        EXPECT_EQ(r.code, 0u) << r.err;
        EXPECT_EQ(r.err.rfind(c.line, 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;  // one line
        EXPECT_EQ(r.out, kBothOk);
    }
    Lay({{"SHA256SUMS", "SHA256SUMS"}, {"mini.minisig", "SHA256SUMS.minisig"}, {"mini.pub", "trusted.key"}});
    EXPECT_NE(Run("/check SHA256SUMS /key trusted.key").err.find(", trusted comment: release 1.0\r\n"),
              std::string::npos);
}

TEST_F(CheckSignature, ABadSignatureFailsTheRunWhateverTheHashesSay) {
    // A comment line added: every hash still matches.
    Lay({{"rsa.sig", "SHA256SUMS.sig"}, {"release.gpg", "k.gpg"}});
    dir_->Write("SHA256SUMS", Made("SHA256SUMS") + "# added\n");
    const e2e::ConsoleRun r = Run("/check SHA256SUMS /key k.gpg");
    EXPECT_EQ(r.code, 1u);
    EXPECT_EQ(r.err.rfind("SHA256SUMS: BAD signature (RSA 3072 key 0x", 0), 0u) << r.err;
    EXPECT_EQ(r.out, kBothOk);
    // The same without a key: the signature cannot be judged, only named.
    const e2e::ConsoleRun unknown = Run("/check SHA256SUMS");
    EXPECT_EQ(unknown.code, 0u);
    EXPECT_EQ(unknown.err.rfind("SHA256SUMS: signed by unknown key 0x", 0), 0u) << unknown.err;
}

TEST_F(CheckSignature, UnknownKeyOrNoSignatureFailOnlyWhenASignatureIsRequired) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> files;
        const char* args;
        DWORD code;
        const char* err;  // the start of standard error
    };
    const Case cases[] = {
        {{{"SHA256SUMS", "SHA256SUMS"}, {"rsa.sig", "SHA256SUMS.sig"}, {"ed.asc", "k"}},
         "/check SHA256SUMS /key k",
         0,
         "SHA256SUMS: signed by unknown key 0x"},
        {{{"SHA256SUMS", "SHA256SUMS"}, {"rsa.sig", "SHA256SUMS.sig"}, {"ed.asc", "k"}},
         "/check SHA256SUMS /key k /require-signature",
         1,
         "SHA256SUMS: signed by unknown key 0x"},
        {{{"SHA256SUMS", "SHA256SUMS"}}, "/check SHA256SUMS", 0, ""},
        {{{"SHA256SUMS", "SHA256SUMS"}, {"ed.asc", "k"}},
         "/check SHA256SUMS /key k",
         0,
         "SHA256SUMS: not signed\r\n"},
        {{{"SHA256SUMS", "SHA256SUMS"}},
         "/check SHA256SUMS /require-signature",
         1,
         "SHA256SUMS: not signed\r\n"},
        {{{"SHA256SUMS", "SHA256SUMS"}, {"sha1.sig", "SHA256SUMS.sig"}, {"release.asc", "k"}},
         "/check SHA256SUMS /key k",
         1,
         "SHA256SUMS: weak signature, refused (RSA 3072 key 0x"},
        {{{"SHA256SUMS", "SHA256SUMS"}, {"revoked.sig", "SHA256SUMS.sig"}, {"revoked-now.gpg", "k"}},
         "/check SHA256SUMS /key k",
         1,
         "SHA256SUMS: signed by a revoked key"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        Lay(c.files);
        const e2e::ConsoleRun r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
        EXPECT_EQ(r.out, kBothOk);
    }
}

TEST_F(CheckSignature, ListsInsideTheirSignatureAreCheckedAsSigned) {
    // Clearsigned, with a line outside the signed part naming a missing file:
    // that line is never checked.
    Lay({{"ed.gpg", "k"}});
    dir_->Write("SHA256SUMS", "0000000000000000000000000000000000000000000000000000000000000000  evil.exe\n" +
                                  Made("ed.clear"));
    e2e::ConsoleRun r = Run("/check SHA256SUMS /key k /require-signature");
    EXPECT_EQ(r.code, 0u) << r.err;
    EXPECT_EQ(
        r.err.rfind("SHA256SUMS: Good signature from \"Ed Release <ed@example.org>\" (Ed25519 key 0x", 0), 0u)
        << r.err;
    EXPECT_NE(r.err.find("text outside the signed part is not signed and not checked"), std::string::npos);
    EXPECT_EQ(r.out, kBothOk);
    EXPECT_EQ(r.err.find("improperly formatted"), std::string::npos) << r.err;

    // signify -e: the list is inside SHA256.sig.
    Lay({{"SHA256.sig", "SHA256.sig"}, {"signify.pub", "k"}});
    r = Run("/check SHA256.sig /key k /require-signature");
    EXPECT_EQ(r.code, 0u) << r.err;
    EXPECT_EQ(r.err.rfind("SHA256.sig: Good signature from \"", 0), 0u) << r.err;
    EXPECT_EQ(r.out, kBothOk);
}

TEST_F(CheckSignature, AListTooLargeToReadWholeIsNeverNotSigned) {
    Lay({{"rsa.sig", "SHA256SUMS.sig"}, {"release.gpg", "k"}});
    ASSERT_TRUE(testutil::MakeSparseFile(dir_->Path("SHA256SUMS"), (64ull << 20) + 1));
    const e2e::ConsoleRun r = Run("/check SHA256SUMS /key k");
    EXPECT_EQ(r.code, 1u);
    EXPECT_EQ(
        r.err.rfind(
            "SHA256SUMS: BAD signature: the list cannot be read to check its signature: too large to be a "
            "checksum list, key or signature\r\n",
            0),
        0u)
        << r.err;
}

TEST_F(CheckSignature, AKeyFileThatCannotBeReadOrHoldsNoKeyStopsTheRun) {
    Lay({{"SHA256SUMS", "SHA256SUMS"}, {"SHA256SUMS", "notakey.txt"}});
    e2e::ConsoleRun r = Run("/check SHA256SUMS /key missing.asc");
    EXPECT_EQ(r.code, 1u);
    EXPECT_EQ(r.err.rfind("vantrel: missing.asc: ", 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
    r = Run("/check SHA256SUMS /key notakey.txt");
    EXPECT_EQ(r.code, 1u);
    EXPECT_EQ(r.err, "vantrel: notakey.txt: not an OpenPGP packet\r\n");
    r = Run("/check SHA256SUMS /key");
    EXPECT_EQ(r.code, 2u);
}

}  // namespace

// /csv's last two columns: the first checksum file beside the file that
// lists it, and its signature's verdict by the /key files (else the keys
// folder beside the program, which the build's program has none of).
TEST_F(CheckSignature, CsvEndsWithTheChecksumFileAndItsSignature) {
    const std::string header = "Signer,Checksum file,Checksum file signature";
    const std::string good =
        ",SHA256SUMS,\"Good signature from \"\"Example Release <release@example.org>\"\" (RSA 3072 key 0x";
    Lay({{"SHA256SUMS", "SHA256SUMS"}, {"rsa.sig", "SHA256SUMS.sig"}, {"release.asc", "k.asc"}});
    const e2e::ConsoleRun r = Run("/csv hello.txt k.asc /key k.asc");
    EXPECT_EQ(r.code, 0u) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> rows = testutil::SplitCrLf(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;
    ASSERT_GT(rows[0].size(), header.size());
    EXPECT_EQ(rows[0].substr(rows[0].size() - header.size()), header);
    EXPECT_NE(rows[1].find(good), std::string::npos) << rows[1];
    EXPECT_EQ(rows[1].back(), '"') << rows[1];
    EXPECT_EQ(rows[2].substr(rows[2].size() - 2), ",,") << "no list names k.asc: " << rows[2];

    // The /hash columns come before them; the key beside the list is never
    // trusted without /key.
    const e2e::ConsoleRun hashed = Run("/csv hello.txt /hash sha256");
    EXPECT_EQ(hashed.code, 0u) << hashed.err;
    EXPECT_NE(hashed.out.find(",Signer,SHA-256,Checksum file,Checksum file signature\r\n"), std::string::npos)
        << hashed.out;
    EXPECT_NE(hashed.out.find(",a948904f2f0f479b8f8197694b30184b0d2ed1c1cd2a1ec0fb85d299a192a447,SHA256SUMS,"
                              "signed by unknown key 0x"),
              std::string::npos)
        << hashed.out;

    // One byte of the list changed after signing: hello.txt's line still matches.
    std::string changed = Made("SHA256SUMS");
    changed[0] = changed[0] == '0' ? '1' : '0';
    dir_->Write("SHA256SUMS", changed);
    const e2e::ConsoleRun bad = Run("/csv hello.txt /key k.asc");
    EXPECT_EQ(bad.code, 0u) << bad.err;
    EXPECT_NE(bad.out.find(",SHA256SUMS,BAD signature (RSA 3072 key 0x"), std::string::npos) << bad.out;

    // Without a signature; a /key that cannot be read ends the run before any line.
    ASSERT_TRUE(testutil::DeleteLoadedFile(dir_->Path("SHA256SUMS.sig")));
    EXPECT_NE(Run("/csv hello.txt").out.find(",SHA256SUMS,not signed\r\n"), std::string::npos);
    const e2e::ConsoleRun noKey = Run("/csv hello.txt /key missing.asc");
    EXPECT_EQ(noKey.code, 1u);
    EXPECT_EQ(noKey.out, "");
    EXPECT_EQ(noKey.err.rfind("vantrel: missing.asc: ", 0), 0u) << noKey.err;
    EXPECT_EQ(Run("/report hello.txt /key k.asc").code, 2u) << "/key goes with /csv only";
}
