// The ten version rows of the main window, filled by loading the real
// libraries built from tests/fixtures through the name box.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "app/window/frmMain.h"
#include "tests/fixtures/fixture_values.h"
#include "mainform.h"
#include "testutil.h"

using namespace frmMain;

namespace {

std::string Fixture(const std::string& name) {
    return testutil::WindowsPath(std::string(VANTREL_FIXTURES_DIR) + "/" + name);
}

std::string LanguageNameOf(WORD language) {
    char name[260] = "";
    VerLanguageNameA(language, name, sizeof name);
    return name;
}

struct RowsCase {
    const char* fixture;
    WORD language;  // 0: the file has no translation to name
    const char* companyName;
    const char* fileVersion;
    const char* productVersion;
    const char* description;
    const char* copyright;
    const char* trademark;
    const char* comments;
    const char* originalName;
    const char* internalName;
};

void PrintTo(const RowsCase& c, std::ostream* os) { *os << c.fixture; }

class VersionRows : public testing::TestWithParam<RowsCase> {
protected:
    void SetUp() override {
        form = testutil::NewMainForm();
    }
    void TearDown() override { form.reset(); }

    std::unique_ptr<TForm1> form;
};

TEST_P(VersionRows, LoadRewritesEveryVersionRowWithoutAMessage) {
    const RowsCase& c = GetParam();
    testutil::MessageBoxRecorder boxes;
    // Rows that still show another file's details must all be overwritten,
    // the empty ones included.
    const std::string previous =
        std::string(c.fixture) == "full_version.dll" ? "code_page_1252.dll" : "full_version.dll";
    form->SetText(edt1, Fixture(previous));
    form->SetText(edt1, Fixture(c.fixture));

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(c.companyName, form->Text(edt8));
    EXPECT_EQ(c.fileVersion, form->Text(edt9));
    EXPECT_EQ(c.productVersion, form->Text(edt19));
    EXPECT_EQ(c.description, form->Text(edt10));
    EXPECT_EQ(c.copyright, form->Text(edt11));
    EXPECT_EQ(c.trademark, form->Text(edt12));
    EXPECT_EQ(c.language ? LanguageNameOf(c.language) : "", form->Text(edt13));
    EXPECT_EQ(c.comments, form->Text(edt14));
    EXPECT_EQ(c.originalName, form->Text(edt15));
    EXPECT_EQ(c.internalName, form->Text(edt16));
    // The load went on past the version component.
    EXPECT_EQ(Fixture(c.fixture), form->Finfo1.FILENAME());
    EXPECT_NE("", form->Text(edt18));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, VersionRows,
    testing::Values(
        RowsCase{"full_version.dll", FULL_LANGUAGE, FULL_COMPANY_NAME, FULL_FILE_VERSION,
                 FULL_PRODUCT_VERSION, FULL_FILE_DESCRIPTION, FULL_LEGAL_COPYRIGHT, FULL_LEGAL_TRADEMARKS,
                 FULL_COMMENTS, FULL_ORIGINAL_FILENAME, FULL_INTERNAL_NAME},
        RowsCase{"three_translations.dll", THREE_LANGUAGE_1, THREE_COMPANY_NAME, THREE_FILE_VERSION, "", "",
                 "", "", "", "", ""},
        RowsCase{"code_page_1252.dll", CP1252_LANGUAGE, CP1252_COMPANY_NAME, CP1252_FILE_VERSION, "", "", "",
                 "", "", "", ""},
        RowsCase{"empty_values.dll", EMPTY_LANGUAGE, EMPTY_COMPANY_NAME, "", "", "", "", "", "", "", ""},
        RowsCase{"other_string_table.dll", OTHER_LANGUAGE, "", "", "", "", "", "", "", "", ""},
        RowsCase{"six_byte_translation.dll", SIX_LANGUAGE, "", "", "", "", "", "", "", "", ""},
        RowsCase{"no_version.dll", 0, "", "", "", "", "", "", "", "", ""}),
    [](const testing::TestParamInfo<RowsCase>& info) {
        const std::string name = info.param.fixture;
        return name.substr(0, name.find('.'));
    });

class VersionRowsFailure : public testing::Test {
protected:
    void SetUp() override {
        form = testutil::NewMainForm();
    }
    void TearDown() override { form.reset(); }

    std::unique_ptr<TForm1> form;
};

TEST_F(VersionRowsFailure, ReportedFailureShowsTheOneMessageAndStopsTheLoad) {
    form->SetText(edt1, Fixture("full_version.dll"));
    testutil::MessageBoxRecorder boxes;
    const std::string failing = Fixture("no_translation.dll");
    form->SetText(edt1, failing);

    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("No Version Information for this File", boxes.boxes()[0].text);
    EXPECT_EQ("Error", boxes.boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.boxes()[0].flags);
    EXPECT_EQ(failing, form->SelectedFileName);
    EXPECT_EQ(RGB(0, 0, 255), form->FontColor(edt1));
    EXPECT_EQ(Fixture("full_version.dll"), form->Finfo1.FILENAME());
    EXPECT_EQ(Fixture("full_version.dll"), form->dcflcrc1.FILENAME());
}

TEST_F(VersionRowsFailure, ReturningToTheFailedPathReadsNothingAndReportsNothing) {
    testutil::MessageBoxRecorder boxes;
    const std::string failing = Fixture("no_translation.dll");
    form->SetText(edt1, failing);
    ASSERT_EQ(1u, boxes.boxes().size());

    form->SetText(edt1, failing + "x");
    form->SetText(edt1, failing);
    EXPECT_EQ(1u, boxes.boxes().size());
    // The version component keeps what the failed read left: nothing.
    EXPECT_EQ("", form->Text(edt8));
    EXPECT_EQ("", form->Text(edt13));
    EXPECT_EQ(failing, form->Finfo1.FILENAME());
}

TEST_F(VersionRowsFailure, ClearAllFieldsMakesTheNextLoadOfTheSamePathReadAgain) {
    testutil::MessageBoxRecorder boxes;
    const std::string failing = Fixture("no_translation.dll");
    form->SetText(edt1, failing);
    form->image8Click();
    form->SetText(edt1, failing);
    EXPECT_EQ(2u, boxes.boxes().size());

    form->SetText(edt1, Fixture("full_version.dll"));
    form->image8Click();
    EXPECT_EQ("", form->Text(edt8));
    EXPECT_EQ(FULL_PRODUCT_VERSION, form->Text(edt19));  // Clear all Fields leaves Product Version
    form->SetText(edt1, Fixture("full_version.dll"));
    EXPECT_EQ(FULL_COMPANY_NAME, form->Text(edt8));
}

}  // namespace
