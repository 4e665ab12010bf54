#include "diag/logs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "diag/messages.h"
#include "support/recording_reporter.h"
#include "support/files.h"
#include "support/temp_home.h"

namespace koru::diag {
namespace {

TEST(Logs, InternalLogEntriesAreSeparatedByBlankLines) {
    test::TempHome home;
    UT_Write_To_Internal_Log("first entry");
    UT_Write_To_Internal_Log("second\r\nentry");
    std::string log = test::rawFile(home.path() / "XFRLog.log");
    std::regex entry(R"(\r\n\r\n\d\d/\d\d/\d{4}\t\d\d:\d\d:\d\d\r\nfirst entry)"
                     R"(\r\n\r\n\d\d/\d\d/\d{4}\t\d\d:\d\d:\d\d\r\nsecond\r\nentry)");
    EXPECT_TRUE(std::regex_match(log, entry)) << log;
}

TEST(Logs, DebugLogIsWrittenOnlyWhileTheMarkerExists) {
    test::TempHome home;
    UT_Output_Debug("before the marker");
    EXPECT_FALSE(std::filesystem::exists(home.path() / "TKImportLog.log"));

    std::ofstream(home.path() / "TKImportLog.on") << "anything";
    UT_Output_Debug("line one");
    UT_Output_Debug("line two");
    EXPECT_EQ(test::rawFile(home.path() / "TKImportLog.log"), "line one\r\nline two\r\n");

    std::filesystem::remove(home.path() / "TKImportLog.on");
    UT_Output_Debug("after the marker");
    EXPECT_EQ(test::rawFile(home.path() / "TKImportLog.log"), "line one\r\nline two\r\n");
}

TEST(Logs, LoggingIntoAnUnwritableFolderDoesNotDisturbTheCaller) {
    test::TempHome home;
    std::filesystem::create_directory(home.path() / "XFRLog.log");  // a folder where the file should be
    EXPECT_NO_THROW(UT_Write_To_Internal_Log("lost"));
}

TEST(Messages, KnownNumbersGiveTheirTextAndUnknownOnesAreReported) {
    test::RecordingReporter reporter;
    EXPECT_EQ(LS(444, reporter), "Are You Sure You Want To Quit?");
    EXPECT_EQ(LS(541, reporter) + std::string(kAppTitle) + LS(542, reporter),
              "You already have Veltrane Data Import Utility running!");
    EXPECT_TRUE(reporter.reports.empty());

    EXPECT_EQ(LS(100, reporter), "");
    EXPECT_EQ(LS(557, reporter), "");
    ASSERT_EQ(reporter.reports.size(), 2u);
    EXPECT_EQ(reporter.reports[0].message, "Problem loading RES string # : 100");
    EXPECT_EQ(reporter.reports[0].location, "LS");
    EXPECT_EQ(reporter.reports[1].message, "Problem loading RES string # : 557");
}

}  // namespace
}  // namespace koru::diag
