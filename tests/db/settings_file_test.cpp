#include "db/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/recording_reporter.h"
#include "support/files.h"
#include "support/temp_home.h"

namespace koru::db {
namespace {

TEST(SettingsFile, SavesTheSevenLinesUntrimmedAndOnlyForItsOwner) {
    test::TempHome home;
    test::RecordingReporter reporter;
    ConnectionSettings settings{"Provider=SQLite;Data Source=/data/src.db;Password=p w ", " SRV1 ", "sa "};
    ASSERT_TRUE(ut_save_conn_settings(settings, reporter));
    EXPECT_EQ(test::rawFile(home.path() / "ConnSet"),
              "Veltrane Data Import Utility Connection Settings File\r\n\r\n\r\n"
              "Provider=SQLite;Data Source=/data/src.db;Password=p w \r\n\r\n SRV1 \r\nsa \r\n");
    struct stat info {};
    ASSERT_EQ(::stat((home.path() / "ConnSet").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    ConnectionSettings loaded = ut_load_conn_settings(reporter);
    EXPECT_EQ(loaded.sourceConnectionString, settings.sourceConnectionString);
    EXPECT_EQ(loaded.server, settings.server);
    EXPECT_EQ(loaded.userId, settings.userId);
    EXPECT_TRUE(reporter.reports.empty());
}

TEST(SettingsFile, LoadsWhateverLinesThereAre) {
    test::TempHome home;
    test::RecordingReporter reporter;
    // No file: three empty texts, no message.
    ConnectionSettings none = ut_load_conn_settings(reporter);
    EXPECT_EQ(none.sourceConnectionString + none.server + none.userId, "");

    // Another header, LF line ends, Windows-1252 text.
    std::ofstream(home.path() / "ConnSet", std::ios::binary)
        << "something else\n\n\nDSN=Ventes;UID=Andr\xE9\n\nSRV2\nadmin\nextra line\n";
    ConnectionSettings other = ut_load_conn_settings(reporter);
    EXPECT_EQ(other.sourceConnectionString, "DSN=Ventes;UID=Andr\xC3\xA9");
    EXPECT_EQ(other.server, "SRV2");
    EXPECT_EQ(other.userId, "admin");

    // A short file leaves the missing lines empty.
    std::ofstream(home.path() / "ConnSet", std::ios::binary | std::ios::trunc)
        << "Veltrane Data Import Utility Connection Settings File\r\n\r\n\r\nDSN=x\r\n";
    ConnectionSettings shortFile = ut_load_conn_settings(reporter);
    EXPECT_EQ(shortFile.sourceConnectionString, "DSN=x");
    EXPECT_EQ(shortFile.server, "");
    EXPECT_EQ(shortFile.userId, "");
    EXPECT_TRUE(reporter.reports.empty());
}

TEST(SettingsFile, AFileThatCannotBeWrittenIsReported) {
    test::TempHome home;
    test::RecordingReporter reporter;
    std::filesystem::create_directory(home.path() / "ConnSet");
    EXPECT_FALSE(ut_save_conn_settings({"a", "b", "c"}, reporter));
    ASSERT_EQ(reporter.reports.size(), 1u);
    EXPECT_EQ(reporter.reports[0].location, "ut_save_conn_settings");
    EXPECT_EQ(reporter.reports[0].number, 75);
}

}  // namespace
}  // namespace koru::db
