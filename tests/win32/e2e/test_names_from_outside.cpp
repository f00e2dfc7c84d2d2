// The built program with names in other scripts and a path of 400
// characters, driven from outside: the name on the real command line (which
// the program reads in its wide form, whatever its code page), assigned with
// WM_SETTEXT and typed as characters.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window/frmMain_layout.h"
#include "components/crc.h"
#include "driver.h"
#include "longpaths.h"
#include "testutil.h"

using namespace frmMain;

namespace {

using e2e::Program;
using e2e::WaitUntil;
using testutil::Utf16;

using testutil::LongForm;
using testutil::WideFiles;

std::string CrcText(const std::string& data) {
    return std::to_string(crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size()));
}

class NamesFromOutside : public testing::Test {
protected:
    void ExpectShows(const Program& program, const std::string& path, const std::string& bytes) {
        EXPECT_EQ(path, program.Text(edt1));
        EXPECT_EQ(path.substr(path.rfind('\\') + 1), program.Text(edt2));
        EXPECT_FALSE(program.Text(edt3).empty());
        EXPECT_EQ(std::to_string(bytes.size()), program.Text(edt4));
        EXPECT_EQ(CrcText(bytes), program.Text(edt17));
        EXPECT_EQ(testutil::CryptoApiMd5(bytes), program.Text(edt18));
    }

    testutil::TempDir dir;
    WideFiles files;
};

TEST_F(NamesFromOutside, NamesInOtherScriptsLoadFromTheCommandLineAnAssignmentAndTyping) {
    const std::string bytes = "a name from outside";
    const std::vector<std::string> paths = {
        files.File(dir.Path(u8"Отчёт.txt"), bytes),
        files.File(dir.Path(u8"日本語.txt"), bytes + "!"),
        files.File(dir.Path(u8"emoji-😀.txt"), bytes + "!!"),
        files.File(dir.Path(u8"café.txt"), bytes + "!!!"),
    };
    const std::string extra[] = {bytes, bytes + "!", bytes + "!!", bytes + "!!!"};
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        {
            Program program("\"" + paths[i] + "\"");
            ASSERT_NE(nullptr, program.WaitForMainWindow());
            ExpectShows(program, paths[i], extra[i]);
            EXPECT_EQ(0u, program.Exit());
        }
        Program program;
        ASSERT_NE(nullptr, program.WaitForMainWindow());
        ASSERT_TRUE(e2e::SetTextOf(program.Control(edt1), paths[i]));
        ExpectShows(program, paths[i], extra[i]);

        program.Click(image8);
        ASSERT_TRUE(WaitUntil([&] { return program.Text(edt4).empty(); }));
        for (wchar_t unit : Utf16(paths[i])) PostMessageW(program.Control(edt1), WM_CHAR, unit, 1);
        EXPECT_TRUE(WaitUntil([&] { return program.Text(edt18) == testutil::CryptoApiMd5(extra[i]); }));
        ExpectShows(program, paths[i], extra[i]);
        EXPECT_EQ(0u, program.Exit());
    }
}

TEST_F(NamesFromOutside, APathOf400CharactersLoadsFromTheCommandLine) {
    std::string folder = dir.path();
    while (Utf16(folder).size() < 300) folder = files.Folder(folder + "\\" + std::string(80, 'd') + u8"ё");
    const std::string tail = u8"-日本語.txt";
    const std::string bytes = "far away";
    const std::string path =
        files.File(folder + "\\" + std::string(400 - Utf16(folder).size() - 1 - Utf16(tail).size(), 'f') + tail,
                   bytes);
    ASSERT_EQ(400u, Utf16(path).size());
    Program program("\"" + path + "\"");
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    ExpectShows(program, path, bytes);
    EXPECT_EQ(0u, program.Exit());
}

}  // namespace
