// The signature of a checksum file beside the shown file, in the window:
// keys and signatures made by gpg, minisign and signify-openbsd outside Wine
// at test time (tests/fixtures/signing/make-signed-lists.sh); the trusted
// keys in a keys folder of the test's own (the window runs inside the test
// program, beside which no keys folder belongs). The MD5 row's colour and
// tooltip as the tooltip control holds them, and the "Checksum File
// Signature" box through the detail menu.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/verify/checksig.h"
#include "app/verify/verify.h"
#include "app/window/frmMain.h"
#include "app/window/shortcuts.h"
#include "base/fs.h"
#include "mainform.h"
#include "testutil.h"

using namespace frmMain;

namespace {

const std::string kDash = "\xE2\x80\x94";

WORD g_choice;
WORD Answer(HMENU) { return g_choice; }

void PumpAWhile() {
    for (int i = 0; i < 10; ++i) {
        ui::Application().ProcessMessages();
        Sleep(5);
    }
}

bool StartsWith(const std::string& s, const std::string& start) { return s.rfind(start, 0) == 0; }

class VerifySignature : public testing::Test {
protected:
    static void SetUpTestSuite() {
        made_ = new testutil::TempDir();
        const std::string unixDir = testutil::UnixPath(made_->path());
        ASSERT_FALSE(unixDir.empty());
        ASSERT_TRUE(testutil::RunUnixShell(std::string("bash '") + VANTREL_SIGNING_DIR +
                                           "/make-signed-lists.sh' '" + unixDir + "' >'" + unixDir +
                                           "/make.log' 2>&1"));
        ASSERT_FALSE(testutil::ReadAll(made_->Path("detached.sig")).empty())
            << testutil::ReadAll(made_->Path("make.log"));
    }
    static void TearDownTestSuite() {
        delete made_;
        made_ = nullptr;
    }
    static std::string Made(const std::string& name) { return testutil::ReadAll(made_->Path(name)); }

    void SetUp() override {
        PutOnClipboardText();
        form = testutil::NewMainForm();
        form->Show(SW_SHOWNORMAL);
    }
    void TearDown() override { form.reset(); }
    static void PutOnClipboardText() { testutil::PutOnClipboard("plain words"); }

    // A download folder with the listed files and the list, each `beside`
    // pair Made(from) written there as `to`, each `keys` pair into the keys
    // folder; then the load of hello.txt, whose hash the list gives.
    void LoadWith(const std::vector<std::pair<std::string, std::string>>& beside,
                  const std::vector<std::pair<std::string, std::string>>& keys,
                  const std::string& list = Made("SHA256SUMS")) {
        form->image8Click();
        download_ = std::make_unique<testutil::TempDir>();
        keys_ = std::make_unique<testutil::TempDir>();
        download_->Write("empty.txt", "");
        const std::string file = download_->Write("hello.txt", "hello world\n");
        download_->Write("SHA256SUMS", list);
        for (const auto& b : beside) download_->Write(b.second, Made(b.first));
        for (const auto& k : keys) keys_->Write(k.second, k.first.empty() ? "not a key\n" : Made(k.first));
        form->Verifier().SetKeysFolder(keys_->path());
        form->SetText(edt1, file);
        PumpAWhile();
    }

    // The box the detail menu's "Checksum File Signature…" shows; empty
    // when the item is greyed.
    std::string Box() {
        base::UniqueMenu menu(form->Keys().BuildMenu(edt18));
        const UINT state = GetMenuState(menu.get(), Shortcuts::kListSignature, MF_BYCOMMAND);
        EXPECT_NE(static_cast<UINT>(-1), state) << "the item is in the menu";
        const bool enabled = state != static_cast<UINT>(-1) && !(state & MF_GRAYED);
        testutil::MessageBoxRecorder boxes;
        form->Keys().SetMenuAnswer(Answer);
        g_choice = Shortcuts::kListSignature;
        PostMessageA(form->Control(edt18), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        PostMessageA(form->Control(edt18), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
        PumpAWhile();
        form->Keys().SetMenuAnswer(nullptr);
        EXPECT_EQ(enabled ? 1u : 0u, boxes.boxes().size());
        if (boxes.boxes().empty()) return std::string();
        EXPECT_EQ("Checksum File Signature", boxes.boxes()[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), boxes.boxes()[0].flags);
        return boxes.boxes()[0].text;
    }

    static testutil::TempDir* made_;
    std::unique_ptr<testutil::TempDir> download_, keys_;
    std::unique_ptr<TForm1> form;
};

testutil::TempDir* VerifySignature::made_ = nullptr;

const char kMatches[] = "SHA-256 matches SHA256SUMS";

TEST_F(VerifySignature, AGoodSignatureInEachFormatNamesItsSignerInTheTooltip) {
    struct Case {
        const char* sig;
        const char* as;
        const char* key;
        std::string signer;  // empty: minisign and signify, whose key has no user ID
    };
    const Case cases[] = {
        {"rsa.sig", "SHA256SUMS.sig", "release.asc", "Example Release <release@example.org>"},
        {"ed.asc.sig", "SHA256SUMS.asc", "ed.gpg", "Ed Release <ed@example.org>"},
        {"sub.sig", "SHA256SUMS.gpg", "sub.asc", "Sub Release <sub@example.org>"},
        {"mini.minisig", "SHA256SUMS.minisig", "mini.pub", ""},
        {"detached.sig", "SHA256SUMS.sig", "signify.pub", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sig);
        LoadWith({{c.sig, c.as}}, {{c.key, "trusted.key"}});
        const ClipboardVerifier& v = form->Verifier();
        EXPECT_EQ(edt18, v.MarkedRow());
        EXPECT_EQ(ClipboardVerifier::kMatch, v.RowColor(edt18));
        const std::string tip = v.RowTooltip(edt18);
        if (!c.signer.empty()) {
            EXPECT_EQ(std::string(kMatches) + ", signed by " + c.signer + " " + kDash + " Good signature",
                      tip);
        } else {
            EXPECT_TRUE(StartsWith(tip, std::string(kMatches) + ", signed by ")) << tip;
            EXPECT_EQ(tip.size() - (" " + kDash + " Good signature").size(),
                      tip.rfind(" " + kDash + " Good signature"))
                << tip;
        }
        const std::string box = Box();
        EXPECT_TRUE(StartsWith(box, "Checksum file: SHA256SUMS\nSignature file: " + std::string(c.as) +
                                        "\nVerdict: Good signature\nSigner: " + c.signer))
            << box;
    }
}

TEST_F(VerifySignature, TheBoxShowsEveryFieldOfTheVerdict) {
    LoadWith({{"rsa.sig", "SHA256SUMS.sig"}}, {{"release.gpg", "release.gpg"}});
    const std::string box = Box();
    // A v4 fingerprint is 40 hex digits; the time is when the script signed.
    const std::size_t fpr = box.find("\nKey fingerprint: ");
    ASSERT_NE(std::string::npos, fpr) << box;
    EXPECT_EQ(box.find('\n', fpr + 1) - (fpr + 18), 40u) << box;
    EXPECT_NE(std::string::npos, box.find("\nAlgorithm: RSA 3072\nSigning time: 20")) << box;
    EXPECT_NE(std::string::npos, box.find(" UTC\nTrusted comment: ")) << box;

    LoadWith({{"mini.minisig", "SHA256SUMS.minisig"}}, {{"mini.pub", "mini.pub"}});
    EXPECT_NE(std::string::npos,
              Box().find("\nAlgorithm: Ed25519\nSigning time: \nTrusted comment: release 1.0"))
        << Box();
}

TEST_F(VerifySignature, ABadSignatureTurnsTheRowRedThoughTheHashMatches) {
    // One byte of the list changed after signing: the first line, another
    // file's hash; hello.txt's own line still matches.
    std::string changed = Made("SHA256SUMS");
    ASSERT_FALSE(changed.empty());
    changed[0] = changed[0] == '0' ? '1' : '0';
    struct Case {
        const char* sig;
        const char* as;
        const char* key;
        const char* verdict;
    };
    const Case cases[] = {
        {"rsa.sig", "SHA256SUMS.sig", "release.asc", ", BAD signature (RSA 3072 key 0x"},
        {"ed.sig", "SHA256SUMS.sig", "ed.asc", ", BAD signature (Ed25519 key 0x"},
        {"mini.minisig", "SHA256SUMS.minisig", "mini.pub", ", BAD signature"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sig);
        LoadWith({{c.sig, c.as}}, {{c.key, "k"}}, changed);
        const ClipboardVerifier& v = form->Verifier();
        EXPECT_EQ(ClipboardVerifier::kDiffer, v.RowColor(edt18));
        EXPECT_TRUE(StartsWith(v.RowTooltip(edt18), std::string(kMatches) + c.verdict))
            << v.RowTooltip(edt18);
        EXPECT_TRUE(StartsWith(Box(), "Checksum file: SHA256SUMS\nSignature file: " + std::string(c.as) +
                                          "\nVerdict: BAD signature"))
            << Box();
    }
}

// A clearsigned list beside the file: only its signed text speaks for the
// file, as /check reads it; a line after the signature (here one that would
// differ) is no line of the list.
TEST_F(VerifySignature, AClearsignedListSpeaksOnlyThroughItsSignedText) {
    const std::string clear = Made("rsa.clear");
    ASSERT_FALSE(clear.empty());
    LoadWith({}, {{"release.asc", "release.asc"}}, clear + std::string(64, 'a') + "  hello.txt\n");
    const ClipboardVerifier& v = form->Verifier();
    EXPECT_EQ(ClipboardVerifier::kMatch, v.RowColor(edt18));
    EXPECT_TRUE(StartsWith(v.RowTooltip(edt18),
                           std::string(kMatches) + ", signed by Example Release <release@example.org>"))
        << v.RowTooltip(edt18);
    EXPECT_EQ(std::string::npos, v.RowTooltip(edt18).find("differs")) << v.RowTooltip(edt18);
}

TEST_F(VerifySignature, AKeyBesideTheDownloadIsNeverTrusted) {
    // The signer's key beside the list, in each form, and none in the keys
    // folder; then another key there.
    for (const char* key : {"release.asc", "release.gpg"}) {
        SCOPED_TRACE(key);
        LoadWith({{"rsa.sig", "SHA256SUMS.sig"}, {key, key}, {key, "SHA256SUMS.key"}}, {});
        const ClipboardVerifier& v = form->Verifier();
        EXPECT_EQ(ClipboardVerifier::kMatch, v.RowColor(edt18));
        EXPECT_TRUE(StartsWith(v.RowTooltip(edt18), std::string(kMatches) + ", signed by unknown key 0x"))
            << v.RowTooltip(edt18);
        EXPECT_EQ(std::string::npos, v.RowTooltip(edt18).find("Good")) << v.RowTooltip(edt18);
    }
    LoadWith({{"rsa.sig", "SHA256SUMS.sig"}, {"release.asc", "release.asc"}}, {{"ed.asc", "ed.asc"}});
    EXPECT_TRUE(
        StartsWith(form->Verifier().RowTooltip(edt18), std::string(kMatches) + ", signed by unknown key 0x"))
        << form->Verifier().RowTooltip(edt18);
    EXPECT_TRUE(StartsWith(Box(),
                           "Checksum file: SHA256SUMS\nSignature file: SHA256SUMS.sig\nVerdict: signed by "
                           "unknown key 0x"))
        << Box();
}

TEST_F(VerifySignature, AnUnsignedListSaysNotSignedAndAnUnreadableKeyFileIsNamed) {
    LoadWith({}, {});
    EXPECT_EQ(kMatches, form->Verifier().RowTooltip(edt18));
    EXPECT_EQ(ClipboardVerifier::kMatch, form->Verifier().RowColor(edt18));
    EXPECT_EQ(
        "Checksum file: SHA256SUMS\nSignature file: \nVerdict: not signed\nSigner: \nKey fingerprint: \n"
        "Algorithm: \nSigning time: \nTrusted comment: ",
        Box());

    // A file of the keys folder that holds no key is named, the others still count.
    LoadWith({{"rsa.sig", "SHA256SUMS.sig"}}, {{"release.asc", "a.asc"}, {"", "notes.txt"}});
    EXPECT_EQ(std::string(kMatches) + ", signed by Example Release <release@example.org> " + kDash +
                  " Good signature",
              form->Verifier().RowTooltip(edt18));
    const std::string box = Box();
    EXPECT_NE(std::string::npos,
              box.find("\n\nKey files in the keys folder that could not be read:\nnotes.txt: "))
        << box;

    // Cleared rows: the item is greyed, though the lists were read.
    form->image8Click();
    PumpAWhile();
    EXPECT_EQ("", Box());

    // No checksum file lists the file: the item is greyed.
    testutil::TempDir alone;
    form->SetText(edt1, alone.Write("hello.txt", "hello world\n"));
    PumpAWhile();
    EXPECT_EQ("", Box());
}

TEST(KeysFolder, IsBesideTheProgram) {
    std::wstring exe(32768, L'\0');
    exe.resize(GetModuleFileNameW(nullptr, &exe[0], static_cast<DWORD>(exe.size())));
    ASSERT_FALSE(exe.empty());
    const std::string path = fs::Narrow(exe);
    EXPECT_EQ(path.substr(0, path.find_last_of("\\/") + 1) + "keys\\", KeysFolderBesideProgram());
}

}  // namespace
