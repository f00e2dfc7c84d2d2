// The console mode's rules that need no OS: arguments, CSV, report names in
// an output folder, the walk order and the rows from component results.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/console/consoletext.h"
#include "app/details/detailtexts.h"

namespace {

TEST(ConsoleSwitch, OnlyTheThreeSwitchesInAnyCase) {
    for (const char* yes : {"/report", "/REPORT", "/RePort", "/csv", "/CSV", "/?"})
        EXPECT_TRUE(IsConsoleSwitch(yes)) << yes;
    for (const char* no : {"", "report", "-report", "/reports", "/report ", " /csv", "/c", "/out", "//?",
                           "/??", "C:\\file.txt", "/csv:"})
        EXPECT_FALSE(IsConsoleSwitch(no)) << no;
}

TEST(ConsoleCommandParse, Accepted) {
    struct Case {
        std::vector<std::string> args;
        ConsoleForm form;
        std::vector<std::string> files;
        bool hasOut;
        std::string out;
    };
    const Case cases[] = {
        {{"/report", "a"}, ConsoleForm::Report, {"a"}, false, ""},
        {{"/CSV", "a", "b\\c"}, ConsoleForm::Csv, {"a", "b\\c"}, false, ""},
        {{"/report", "a", "/out", "r.txt"}, ConsoleForm::Report, {"a"}, true, "r.txt"},
        {{"/report", "/OUT", "dir", "a", "b"}, ConsoleForm::Report, {"a", "b"}, true, "dir"},
        {{"/report", "a", "/out", "/report"},
         ConsoleForm::Report,
         {"a"},
         true,
         "/report"},  // PATH is taken whole
        {{"/report", "/tmp/x", "C:/y"}, ConsoleForm::Report, {"/tmp/x", "C:/y"}, false, ""},
        {{"/?"}, ConsoleForm::Usage, {}, false, ""},
        {{"/?", "/bogus"}, ConsoleForm::Usage, {}, false, ""},
    };
    for (const Case& c : cases) {
        ConsoleCommand cmd;
        std::string error;
        ASSERT_TRUE(ParseConsoleCommand(c.args, cmd, error)) << c.args[0] << " " << error;
        EXPECT_EQ(c.form, cmd.form);
        EXPECT_EQ(c.files, cmd.files);
        EXPECT_EQ(c.hasOut, cmd.hasOut);
        EXPECT_EQ(c.out, cmd.out);
    }
}

TEST(ConsoleCommandParse, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"/report"},
        {"/csv", "/out", "x.csv"},
        {"/report", "a", "/out"},
        {"/report", "a", "/out", ""},
        {"/report", "a", "/out", "x", "/out", "y"},
        {"/report", "a", "/bogus"},
        {"a.txt"},
    };
    for (const auto& args : cases) {
        ConsoleCommand cmd;
        std::string error;
        EXPECT_FALSE(ParseConsoleCommand(args, cmd, error)) << (args.empty() ? "(none)" : args.back());
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(std::string::npos, error.find('\n'));
    }
}

TEST(ConsoleUsageText, NamesEveryFormAndEndsEachLineInCrLf) {
    const std::string usage = ConsoleUsage();
    for (const char* part : {"/report", "/csv", "/out", "/?"})
        EXPECT_NE(std::string::npos, usage.find(part)) << part;
    EXPECT_EQ("\r\n", usage.substr(usage.size() - 2));
    for (size_t i = 0; i < usage.size(); ++i) {
        if (usage[i] == '\n') {
            EXPECT_EQ('\r', usage[i - 1]) << i;
        }
    }
}

TEST(Csv, FieldQuoting) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {" blanks kept ", " blanks kept "},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"lf\nonly", "\"lf\nonly\""},
        {"\xE9t\xE9", "\xE9t\xE9"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, CsvField(c.first)) << c.first;
}

TEST(Csv, HeaderIsTheReportsLabelsThenTheAttributesThenTheSignature) {
    EXPECT_EQ(
        "File,Display Name,File Type,File Version,Company Name,Description,Legal Copyright,Legal Trademark,"
        "Language,Comments,Original File Name,Internal File Name,File Size (bytes),Created,Last Accessed,"
        "Last Modified,CRC,MD5,Archive,Read "
        "Only,Hidden,System,Temporary,Compressed,Offline,Signature,Signer,Checksum file,Checksum file "
        "signature\r\n",
        CsvHeader());
}

TEST(Csv, RecordCarriesTheReportsValuesInItsOrder) {
    ReportSource src;
    src.generatedAt = "never in a record";
    for (int i = 1; i <= 18; ++i) src.edt[static_cast<std::size_t>(i)] = "e" + std::to_string(i);
    src.edt[14] = "note: with \"quotes\", a comma";
    src.edt[10] = "";
    src.chk = {false, true, false, true, false, false, true, true};
    EXPECT_EQ(
        "e1,e2,e3,e9,e8,,e11,e12,e13,\"note: with \"\"quotes\"\", a comma\",e15,e16,e4,e5,e6,e7,e17,e18,"
        "True,False,True,False,False,True,True,Changed after signing,\"Example, Inc.\",,\r\n",
        CsvRecord(src, "Changed after signing", "Example, Inc."));
    const std::string noSignature = CsvRecord(src, "", "");
    EXPECT_EQ("True,,,,\r\n", noSignature.substr(noSignature.size() - 10)) << "four empty columns";
}

TEST(Csv, ASignersNameIsOneLineLikeEveryOtherValue) {
    // A certificate's name is the signer's to choose: a line break would start
    // a record of its own, a NUL would end the name early in many readers.
    const std::pair<std::string, std::string> cases[] = {
        {"Example Corp\r\nSignature: Valid\r\nMD5: 000", "Example Corp  Signature: Valid  MD5: 000"},
        {"tab\there, escape\x1b[0m", "\"tab here, escape [0m\""},
        {std::string("Microsoft Corporation\0 Evil Inc", 31), "Microsoft Corporation  Evil Inc"},
    };
    for (const auto& c : cases) {
        const std::string record = CsvRecord(ReportSource(), "Valid", c.first);
        EXPECT_EQ(",Valid," + c.second + ",,\r\n", record.substr(record.rfind(",Valid,")));
        EXPECT_EQ(record.size() - 2, record.find_first_of(std::string("\r\n\0\t\x1b", 5)));
    }
}

TEST(ReportNames, RepeatsGetANumberCaseBlind) {
    std::set<std::string> used;
    EXPECT_EQ("a.txt.txt", UniqueReportName("a.txt", used));
    EXPECT_EQ("a.txt (2).txt", UniqueReportName("a.txt", used));
    EXPECT_EQ("A.TXT (3).txt", UniqueReportName("A.TXT", used));
    EXPECT_EQ("b.txt", UniqueReportName("b", used));
    EXPECT_EQ(".txt", UniqueReportName("", used));
    EXPECT_EQ(" (2).txt", UniqueReportName("", used));
    // A later name that happens to equal a numbered one is numbered too.
    EXPECT_EQ("a.txt (2) (2).txt", UniqueReportName("a.txt (2)", used));
}

TEST(ReportNames, ANameThatIsAnInputStepsToTheNextNumber) {
    std::set<std::string> used;
    const std::set<std::string> inputs = {"a.txt.txt", "a.txt (2).txt"};
    const auto isInput = [&](const std::string& name) { return inputs.count(name) != 0; };
    EXPECT_EQ("a.txt (3).txt", UniqueReportName("a.txt", used, isInput));
    EXPECT_EQ("a.txt.txt.txt", UniqueReportName("a.txt.txt", used, isInput));
    EXPECT_EQ("a.txt (4).txt", UniqueReportName("a.txt", used, isInput));
}

TEST(WalkOrder, ByNameCaseBlindThenByBytes) {
    std::vector<std::string> names = {"b", "B.txt", "a", "A", "_x", "10", "9", "a.txt"};
    std::sort(names.begin(), names.end(), WalkOrderLess);
    EXPECT_EQ((std::vector<std::string>{"10", "9", "A", "a", "a.txt", "b", "B.txt", "_x"}), names);
}

TEST(ConsoleRows, SameTextsAsTheWindowsRefresh) {
    FileDetails d;
    d.displayName = "name";
    d.fileType = "type";
    d.fileSize = 4294967296LL + 5;
    d.attributes[0] = true;
    d.attributes[6] = true;
    d.created = 40000.5;   // 7/6/2009, noon
    d.accessed = 40000.0;  // midnight: the date alone
    d.modified = 0.0;
    d.companyName = "company";
    d.fileVersion = "1.2";
    d.fileDescription = "desc";
    d.legalCopyright = "copy";
    d.legalTrademark = "tm";
    d.languageName = "English";
    d.comments = "comments";
    d.originalFilename = "orig";
    d.internalName = "internal";
    d.crc = 0xFFFFFFFFu;
    d.md5 = "D41D8CD98F00B204E9800998ECF8427E";
    const DateTimeFormat fmt;
    const ReportSource src = ReportFor("C:\\x\\name.bin", d, fmt, "now");
    EXPECT_EQ("now", src.generatedAt);
    const std::string expected[19] = {"",
                                      "C:\\x\\name.bin",
                                      "name",
                                      "type",
                                      "4294967301",
                                      DateTimeText(40000.5, fmt),
                                      DateTimeText(40000.0, fmt),
                                      DateTimeText(0.0, fmt),
                                      "company",
                                      "1.2",
                                      "desc",
                                      "copy",
                                      "tm",
                                      "English",
                                      "comments",
                                      "orig",
                                      "internal",
                                      "4294967295",
                                      "D41D8CD98F00B204E9800998ECF8427E"};
    for (std::size_t i = 1; i <= 18; ++i) EXPECT_EQ(expected[i], src.edt[i]) << "edt" << i;
    EXPECT_EQ("7/6/09 12:00:00 pm", src.edt[5]);
    EXPECT_EQ("7/6/09", src.edt[6]);
    EXPECT_EQ((std::array<bool, 8>{false, true, false, false, false, false, false, true}), src.chk);

    // Checksums that no pass has computed yet leave their rows empty.
    d.crc.reset();
    d.md5.reset();
    EXPECT_EQ("", ReportFor("x", d, fmt, "").edt[17]);
    EXPECT_EQ("", ReportFor("x", d, fmt, "").edt[18]);
}

}  // namespace

TEST(Csv, TheChecksumFileAndItsVerdictAreLastAndOneLineEach) {
    // A list's name and a key's user ID are anyone's to choose.
    const std::string record = CsvRecord(ReportSource(), "", "", {}, "SHA256\r\nSUMS",
                                         "Good signature from \"A\nB\" (Ed25519 key 0x01)");
    EXPECT_EQ(",SHA256  SUMS,\"Good signature from \"\"A B\"\" (Ed25519 key 0x01)\"\r\n",
              record.substr(record.find(",SHA256")));
    EXPECT_EQ(record.size() - 2, record.find_first_of("\r\n"));
}

TEST(Csv, KeyFilesGoWithCsvOnly) {
    ConsoleCommand cmd;
    std::string error;
    ASSERT_TRUE(ParseConsoleCommand({"/csv", "a", "/key", "k1.asc", "/KEY", "k2.pub"}, cmd, error)) << error;
    EXPECT_EQ((std::vector<std::string>{"k1.asc", "k2.pub"}), cmd.keyFiles);
    EXPECT_FALSE(ParseConsoleCommand({"/csv", "a", "/key"}, cmd, error));
    EXPECT_EQ("/key needs a FILE", error);
    EXPECT_FALSE(ParseConsoleCommand({"/report", "a", "/key", "k"}, cmd, error));
    EXPECT_EQ("/key goes with /csv only", error);
}
