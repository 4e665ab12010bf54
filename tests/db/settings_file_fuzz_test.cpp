#include <gtest/gtest.h>
#include <sys/stat.h>

#include "db/settings_file.h"
#include "diag/text_encoding.h"
#include "support/files.h"
#include "support/fuzz.h"
#include "support/recording_reporter.h"
#include "support/temp_home.h"

namespace koru::db {
namespace {

const std::vector<std::string> kPieces = {
    "Veltrane Data Import Utility Connection Settings File", "Provider=SQLite;Data Source=/d/s.db",
    "Password='p;w'", "sqlite:/srv/koru", "SRV1", "sa", " ", "\r\n", "\n", "\r", "\xC3\xA9", "\xE9"};

TEST(SettingsFileFuzz, SavedValuesLoadAsTheyWereAndAnyFileLoadsWithoutHarm) {
    test::Fuzz fuzz;
    test::TempHome home;
    test::RecordingReporter reporter;
    const auto file = home.path() / "ConnSet";
    while (fuzz.next()) {
        SCOPED_TRACE(fuzz.where());
        // Values as the screens hold them: UTF-8 text on one line.
        ConnectionSettings saved;
        for (std::string* value : {&saved.sourceConnectionString, &saved.server, &saved.userId}) {
            *value = diag::decodeText(fuzz.text(kPieces, 6, 3));
            std::erase_if(*value, [](char c) { return c == '\r' || c == '\n'; });
        }
        ASSERT_TRUE(ut_save_conn_settings(saved, reporter));
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        ASSERT_EQ(info.st_mode & 0777, 0600u);
        ConnectionSettings loaded = ut_load_conn_settings(reporter);
        ASSERT_EQ(loaded.sourceConnectionString, saved.sourceConnectionString);
        ASSERT_EQ(loaded.server, saved.server);
        ASSERT_EQ(loaded.userId, saved.userId);

        // A file written by anyone: three values, each one line of UTF-8.
        test::writeFile(file, fuzz.text(kPieces, 16, 3));
        ::chmod(file.c_str(), 0644);  // the next save makes it the owner's again
        loaded = ut_load_conn_settings(reporter);
        for (const std::string& value : {loaded.sourceConnectionString, loaded.server, loaded.userId}) {
            ASSERT_TRUE(diag::isValidUtf8(value));
            ASSERT_EQ(value.find('\n'), std::string::npos);
        }
    }
    EXPECT_TRUE(reporter.reports.empty());
}

}  // namespace
}  // namespace koru::db
