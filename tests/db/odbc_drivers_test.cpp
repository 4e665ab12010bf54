// The SQLite ODBC driver, FreeTDS and MDBTools as the connection layer uses them. No SQL Server
// runs here: FreeTDS is only shown to load and to fail the way an unreachable server fails; no
// Access database can be made here, so MDBTools is shown to load and to refuse what it cannot read.

#include <chrono>
#include <fstream>

#include "db/connection_factory.h"
#include "db/db_test_support.h"

namespace koru::db {
namespace {

using Clock = std::chrono::steady_clock;

TEST(OdbcSqlite, MissingSourceFileIsAnErrorNeverANewDatabase) {
    auto driver = test::odbcDriverPath("libsqlite3odbc.so");
    KORU_NEED(driver, "the SQLite ODBC driver (libsqlite3odbc.so) is not installed");
    test::TempFolder folder;
    std::filesystem::path missing = folder.path() / "source.db";
    // The driver creates the file unless told not to, even when the string asks it to.
    for (std::string extra : {"", ";NoCreat=0"}) {
        OdbcConnection connection;
        try {
            connection.open("Driver=" + *driver + ";Database=" + missing.string() + extra);
            ADD_FAILURE() << "opened a missing file" << extra;
        } catch (const DbError& error) {
            EXPECT_EQ(error.code(), kErrGeneralFailure) << error.what();
        }
        EXPECT_FALSE(std::filesystem::exists(missing)) << extra;
    }
}

class OdbcFreeTds : public testing::Test {
protected:
    void SetUp() override {
        driver = test::odbcDriverPath("libtdsodbc.so");
        KORU_NEED(driver, "FreeTDS (libtdsodbc.so) is not installed");
        const char* previous = std::getenv("KORU_MSSQL_DRIVER");
        m_previous = previous ? std::optional<std::string>(previous) : std::nullopt;
        ::setenv("KORU_MSSQL_DRIVER", driver->c_str(), 1);
    }
    void TearDown() override {
        if (m_previous) {
            ::setenv("KORU_MSSQL_DRIVER", m_previous->c_str(), 1);
        } else {
            ::unsetenv("KORU_MSSQL_DRIVER");
        }
    }

    DbError connectFailure(int port) {
        std::string sqlServer = "Provider=SQLOLEDB;Data Source=127.0.0.1," + std::to_string(port) +
                                ";Initial Catalog=Tickora;User ID=sa;Password=x";
        auto connection = makeConnection(sqlServer);
        connection->setConnectionTimeout(1);
        try {
            connection->open(sqlServer);
        } catch (const DbError& error) {
            return error;
        }
        ADD_FAILURE() << "connected to a server that is not there";
        return DbError(0, "");
    }

    std::optional<std::string> driver;

private:
    std::optional<std::string> m_previous;
};

TEST_F(OdbcFreeTds, SqlServerStringsLoadTheDriverAndFailAsAnUnreachableServer) {
    int closedPort = test::SilentListener().port();
    DbError refused = connectFailure(closedPort);
    EXPECT_EQ(refused.code(), kErrGeneralFailure) << refused.what();
    // The message comes from FreeTDS itself, so the driver was found and loaded.
    EXPECT_NE(std::string(refused.what()).find("FreeTDS"), std::string::npos) << refused.what();

    test::SilentListener silent;
    auto started = Clock::now();
    DbError timedOut = connectFailure(silent.port());
    EXPECT_EQ(timedOut.code(), kErrGeneralFailure) << timedOut.what();
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(6));
}

TEST(OdbcMdbTools, AccessStringsLoadTheDriverAndNameTheFileItCannotRead) {
    auto drivers = odbc::systemDriverCatalog().installedDrivers();
    KORU_NEED(std::find(drivers.begin(), drivers.end(), "MDBTools") != drivers.end(),
              "the ODBC driver MDBTools (odbc-mdbtools) is not installed");
    test::TempFolder folder;
    const std::string missing = (folder.path() / "missing.mdb").string();
    const std::string garbage = (folder.path() / "garbage.accdb").string();
    std::ofstream(garbage, std::ios::binary) << std::string(8192, '\x5a');
    const std::pair<std::string, std::string> refused[] = {
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + missing, "The Access database " + missing + " does not exist."},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + folder.path().string(),
         "The Access database " + folder.path().string() + " is not a file."},
        {"Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=" + garbage,
         "MDBTools could not read " + garbage + " as an Access database."},
    };
    for (const auto& [text, message] : refused) {
        SCOPED_TRACE(text);
        OdbcConnection connection;
        try {
            connection.open(text);
            ADD_FAILURE() << "opened";
        } catch (const DbError& error) {
            EXPECT_EQ(error.code(), kErrGeneralFailure);
            EXPECT_EQ(error.what(), message);
        }
        EXPECT_FALSE(connection.isOpen());
    }
}

}  // namespace
}  // namespace koru::db
