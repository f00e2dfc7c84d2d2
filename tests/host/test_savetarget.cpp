// Text rules of saving a report: why it was not saved, the extended-length
// form of a path, and the path a name typed into the save dialog stands for.
#include <gtest/gtest.h>

#include <string>

#include "app/save/savetarget.h"

namespace {

TEST(ReportNotSaved, NamesTheFileGivesTheReasonAndKeepsTheIOErrorText) {
    const struct {
        unsigned long code;
        const char* systemText;
        const char* message;
    } cases[] = {
        {5, "", "because access was denied. File access denied"},
        {3, "", "because the folder does not exist. Invalid filename"},
        {2, "", "because the file was not found. File not found"},
        {32, "", "because another program is using the file. I/O error 32"},
        {112, "", "because the disk is full. I/O error 112"},
        {39, "", "because the disk is full. I/O error 39"},
        {101, "", "because the disk is full. Disk full"},
        {206, "", "because the name is too long. I/O error 206"},
        {123, "", "because the name is not valid. I/O error 123"},
        // Codes without a reason of their own take the system's text.
        {1117, "The request could not be performed because of an I/O device error.\r\n",
         "because of this error: the request could not be performed because of an I/O device error. I/O "
         "error 1117"},
        {1234, "No more data", "because of this error: no more data. I/O error 1234"},
        {1235, "  \r\n", "because of an unexpected error. I/O error 1235"},
        // An abbreviation keeps its capitals.
        {1236, "DNS failed.", "because of this error: DNS failed. I/O error 1236"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(std::string("The report was not saved to \"C:\\r.txt\" ") + c.message,
                  ReportNotSavedMessage("C:\\r.txt", c.code, c.systemText));
    }
}

TEST(ReportNotSaved, RefusalsNameTheTarget) {
    EXPECT_EQ("The report was not saved: \"C:\\nul.txt\" names a device, not a file. Choose another name.",
              DeviceTargetMessage("C:\\nul.txt"));
    EXPECT_EQ(
        "The report was not saved: \"a.exe\" is the file being shown, which is only read, never replaced. "
        "Choose another name.",
        InspectedTargetMessage("a.exe"));
    EXPECT_EQ(
        "The report was not saved: the name \"x\" is longer than the system can take. Choose a shorter name.",
        TooLongTargetMessage("x"));
}


}  // namespace
