#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "db/db_test_support.h"
#include "db/product_schema.h"
#include "db/sqlite_connection.h"
#include "db/odbc_connection.h"
#include "support/files.h"
#include "support/unattended_program.h"

namespace koru::app {
namespace {

namespace fs = std::filesystem;
using test::Outcome;

class DbUnattendedRun : public ::testing::Test, protected test::UnattendedProgram {};

const std::string kSessions = "SELECT ID, UpdateImportID FROM XFRTranLog ORDER BY ID";

TEST_F(DbUnattendedRun, ImportsThenUpdatesAsTheUpdateValueSays) {
    // Update data without an earlier import is a plain import.
    Outcome first = import('1');
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_TRUE(logged("Data import completed successfully     -    Total Records Imported : 23"));
    EXPECT_EQ(rows("SELECT count(*) FROM CIID"), "26\n");

    // Update + new: the recorded items change, a new company is added.
    changeSource("INSERT INTO Company VALUES (5, 'Newco', NULL, NULL, NULL, NULL)");
    EXPECT_EQ(import('2').status, 0);
    EXPECT_EQ(rows("SELECT count(*) FROM CIID"), "27\n");
    // Update data: the recorded companies change, a new one is not added.
    changeSource("UPDATE Company SET Phone = '+64 4 555 0199' WHERE CoID = 1");
    changeSource("INSERT INTO Company VALUES (6, 'Othco', NULL, NULL, NULL, NULL)");
    EXPECT_EQ(import('1').status, 0);
    EXPECT_EQ(rows("SELECT count(*), max(CASE WHEN Alpha1 = 'Veltrane Ltd' AND ID > 3 THEN Alpha3 END) FROM CIID"),
              "27|+64 4 555 0199\n");
    // Add new only: the new company, nothing twice.
    EXPECT_EQ(import('3').status, 0);
    EXPECT_EQ(rows("SELECT count(*), sum(Alpha1 = 'Othco') FROM CIID"), "28|1\n");
    EXPECT_EQ(rows(kSessions), "1|0\n2|1\n3|2\n4|3\n");
    // A plain import records everything again.
    EXPECT_EQ(import('0').status, 0);
    EXPECT_EQ(rows("SELECT count(*) FROM CIID"), "53\n");
}

TEST_F(DbUnattendedRun, HistoryListsTheSessionsAndUndoTakesOneBack) {
    const std::string login = " /Product=tickora /UserID=admin";
    Outcome empty = run("--history" + login);
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_NE(empty.err.find("There is no import history on your destination database"), std::string::npos);

    ASSERT_EQ(import('0').status, 0);
    changeSource("INSERT INTO Company VALUES (5, 'Newco', NULL, NULL, NULL, NULL)");
    ASSERT_EQ(import('2').status, 0);
    Outcome history = run("--history" + login);
    EXPECT_EQ(history.status, 0) << history.err;
    // id, date, user, computer, mapping, items, the session it updated
    std::regex line("(\\d+)\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\t[^\t]+\t[^\t]+\tdemo\\.xfo\t(\\d+)\t(\\d+)");
    std::vector<std::string> sessions;
    std::istringstream lines(history.out);
    for (std::string text; std::getline(lines, text);) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(text, match, line)) << text;
        sessions.push_back(match[1].str() + "|" + match[2].str() + "|" + match[3].str());
    }
    EXPECT_EQ(sessions, (std::vector<std::string>{"2|24|1", "1|23|0"}));

    // Undoing the update takes back only the company it added; undoing the import, the rest.
    Outcome undo = run("--undo 2" + login);
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(undo.out, "Import session 2 deleted: 1 items deleted, 23 items kept (recorded by earlier sessions), "
                        "0 requests deleted.\n");
    EXPECT_EQ(rows("SELECT count(*) FROM CIID"), "26\n");
    EXPECT_EQ(run("--undo 1" + login).status, 0);
    EXPECT_EQ(rows("SELECT count(*) FROM CIID UNION ALL SELECT count(*) FROM XFRTranLog"), "3\n0\n");

    EXPECT_EQ(run("--undo 1" + login).status, 1);
    for (const char* refused : {"--undo", "--undo 0", "--undo 12x", "--undo 99999999999", "--history --all"}) {
        EXPECT_EQ(run(refused + login).status, 2) << refused;
    }
}

TEST_F(DbUnattendedRun, FailuresSayWhyOnStandardErrorAndSuccessPrintsItsResult) {
    const std::string reported = "koru: XFR Import Module Error :";
    Outcome unknown = run("/MapFile=demo.xfo /Product=tickora /UserID=admin /Update=0 /Database=NOSUCHDB");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find(reported + "Could Not Connect To Destination Server"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("NOSUCHDB"), std::string::npos) << unknown.err;

    // The clause's column is not mapped, so the mapping loads; the level's statement is refused.
    changeSource("ALTER TABLE Software RENAME COLUMN Licence TO LicenceKey");
    Outcome refused = import('0');
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(reported), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("Licence"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("frmDBSave:Write_To_Temp_table_Hierachy"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "");
    changeSource("ALTER TABLE Software RENAME COLUMN LicenceKey TO Licence");

    // An infinite number is no 0: the row is named and nothing is imported.
    changeSource("UPDATE Company SET AccountNo = 'Infinity' WHERE CoID = 1");
    Outcome infinite = import('0');
    EXPECT_EQ(infinite.status, 1);
    EXPECT_NE(infinite.err.find("level 1 (Company), source key '1', column Num1: Overflow: 'Infinity'"), std::string::npos)
        << infinite.err;
    EXPECT_EQ(rows("SELECT count(*) FROM CIID"), "3\n");
    changeSource("UPDATE Company SET AccountNo = 1001 WHERE CoID = 1");

    Outcome success = import('0');
    EXPECT_EQ(success.status, 0) << success.err;
    EXPECT_EQ(success.out, "Data import completed successfully     -    Total Records Imported : 23\n");

    test::PgServer server;
    KORU_NEED(server.available(), server.whyNot());
    settings("sqlite:" + home.path().string(), server.connectionString("postgres", server.user, "not the password"));
    Outcome wrongPassword = import('0');
    EXPECT_EQ(wrongPassword.status, 1);
    EXPECT_NE(wrongPassword.err.find(reported + "Could not open source data source"), std::string::npos)
        << wrongPassword.err;
    EXPECT_NE(wrongPassword.err.find("password"), std::string::npos) << wrongPassword.err;
}

TEST_F(DbUnattendedRun, RefusalsEndTheRunWithTheirStatusAndSayWhy) {
    struct Case {
        std::string arguments;
        int status;
        std::string line;
    } cases[] = {
        {"\"/MapFile='gone.xfo'\" /Update=0", 2, "Incorrect parameter passed, Arguement=MapFile, VALUE=gone.xfo"},
        {"\"/MapFile='demo.xfo'\" \"/Update='7'\"", 2, "Incorrect parameter passed, Arguement=Update, VALUE=7"},
        {"\"/MapFile='demo.xfo'\" /Product=Helpdesk /UserID=admin /Update=0", 2,
         "Incorrect parameter passed, Arguement=Product, VALUE=HELPDESK"},
        {"--mapfile=demo.xfo", 2, "unknown option --mapfile=demo.xfo"},
        {"--history --all /Product=tickora /UserID=admin", 2, "unknown option --all"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        Outcome refused = run(c.arguments);
        EXPECT_EQ(refused.status, c.status);
        EXPECT_NE(refused.err.find(c.line), std::string::npos) << refused.err;
        EXPECT_TRUE(logged(c.line));
    }

    // A mapping that does not fit the source stops at the mapping start screen; nothing is imported.
    changeSource("ALTER TABLE Software RENAME TO Programs");
    Outcome unfit = import('0');
    EXPECT_EQ(unfit.status, 1);
    EXPECT_NE(unfit.err.find("The Mappings You Have Loaded Are Not Compatable With The Source Database You Have Selected"),
              std::string::npos);
    EXPECT_TRUE(logged("Unattended run stopped: the mapping"));
    changeSource("ALTER TABLE Programs RENAME TO Software");

    // An unreachable destination: the error is logged and the import never starts.
    settings("sqlite:" + (home.path() / "nowhere").string());
    Outcome unreachable = import('0');
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_TRUE(logged("XFR Import Module Error"));
    EXPECT_EQ(rows("SELECT count(*) FROM CIID"), "3\n");
    EXPECT_EQ(rows("SELECT count(*) FROM sqlite_master WHERE name = 'XFRTranLog'"), "0\n");
}

class OdbcUnattendedSources : public ::testing::Test, protected test::UnattendedProgram {};

// A mapping made on a SQLite source, its names in brackets, imports the same rows from
// PostgreSQL and MariaDB, whether the tables were made with quoted mixed-case names or plain
// ones: PostgreSQL keeps plain names in lower case, and MariaDB, which compares table names with
// case, gets them in lower case here, as tables moved from a case-blind server often are.
TEST_F(OdbcUnattendedSources, ABracketedMappingImportsFromQuotedAndPlainNamesOnEachServer) {
    test::PgServer postgres;
    test::MyServer mariadb;
    KORU_NEED(postgres.available(), postgres.whyNot());
    KORU_NEED(mariadb.available(), mariadb.whyNot());
    const std::string items = "SELECT c.StyleID, c.Alpha1, c.Alpha2, c.Alpha3, c.Num1, c.EmailID, p.Alpha1 "
                              "FROM CIID c LEFT JOIN CIID p ON p.ID = c.Parent WHERE c.ID > 3 "
                              "ORDER BY c.Alpha1, c.Num1, c.Alpha2";
    Outcome fromSqlite = import('0');
    ASSERT_EQ(fromSqlite.status, 0) << fromSqlite.err;
    const std::string expected = rows(items);

    const struct {
        std::string database;  // the destination it imports into
        bool onMariaDb;
        std::string quote;
        bool lowerCase;
    } sources[] = {
        {"PGQUOTED", false, "\"", false},
        {"PGPLAIN", false, "", false},
        {"MYQUOTED", true, "`", false},
        {"MYLOWER", true, "", true},
    };
    for (const auto& source : sources) {
        SCOPED_TRACE(source.database);
        std::unique_ptr<test::PgDatabase> pgDatabase;
        std::unique_ptr<test::MyDatabase> myDatabase;
        const std::string connectionString =
            source.onMariaDb ? (myDatabase = std::make_unique<test::MyDatabase>(mariadb))->connectionString()
                             : (pgDatabase = std::make_unique<test::PgDatabase>(postgres))->connectionString();
        {
            db::OdbcConnection target;
            target.open(connectionString);
            copyDemoSource(target, source.quote, source.lowerCase);
        }
        db::createProductDatabase(home.path(), source.database, db::Product::Tickora, true);
        settings("sqlite:" + home.path().string(), connectionString);
        db::SqliteConnection destination;
        // A plain import, then an update of the same rows, which changes and adds nothing.
        for (char update : {'0', '1'}) {
            Outcome imported = run("\"/MapFile='demo.xfo'\" /Product=tickora /UserID=admin /Database=" +
                                   source.database + " \"/Update='" + update + "'\"");
            ASSERT_EQ(imported.status, 0) << imported.err;
            if (!destination.isOpen()) destination.open(db::embeddedDestinationString(home.path(), source.database));
            EXPECT_EQ(test::rowsOf(destination, items), expected) << "/Update=" << update;
        }
    }
}

}  // namespace
}  // namespace koru::app
