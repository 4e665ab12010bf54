#include <chrono>
#include <fstream>

#include "db/connection_factory.h"
#include "db/sqlite_connection.h"
#include "db/db_test_support.h"

namespace koru::db {
namespace {

using Clock = std::chrono::steady_clock;

std::string embedded(const std::filesystem::path& folder, const std::string& database) {
    return "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=x;Initial Catalog=" +
           database + ";Data Source='sqlite:" + folder.string() + "'";
}

std::string single(Connection& connection, const std::string& sql) {
    auto records = connection.query(sql);
    EXPECT_TRUE(records->next()) << sql;
    return records->value(0).value_or("<null>");
}

std::int32_t openFailure(const std::string& connectionString) {
    SqliteConnection connection;
    try {
        connection.open(connectionString);
    } catch (const DbError& error) {
        EXPECT_FALSE(connection.isOpen());
        EXPECT_EQ(connection.connectionString(), connectionString);  // what the error report shows
        return error.code();
    }
    ADD_FAILURE() << "opened " << connectionString;
    return 0;
}

TEST(DbSqliteFile, EmbeddedDestinationOpensInWalModeWithForeignKeys) {
    test::TempFolder folder;
    test::createSqliteFile(folder.path() / "Other.db", "CREATE TABLE parent (id integer PRIMARY KEY)");
    // Not a product database: left in its own mode, for the connection screen to refuse untouched.
    EXPECT_EQ(single(*openConnection(embedded(folder.path(), "Other")), "PRAGMA journal_mode"), "delete");
    test::createSqliteFile(folder.path() / "Tickora.db",
                           "CREATE TABLE CIID (ID integer);"
                           "CREATE TABLE parent (id integer PRIMARY KEY);"
                           "CREATE TABLE child (parent_id integer REFERENCES parent(id))");
    auto connection = openConnection(embedded(folder.path(), "Tickora"));
    EXPECT_NE(dynamic_cast<SqliteConnection*>(connection.get()), nullptr);
    EXPECT_EQ(single(*connection, "PRAGMA journal_mode"), "wal");
    try {
        connection->execute("INSERT INTO child VALUES (42)");
        FAIL() << "a child without its parent was stored";
    } catch (const DbError& error) {
        EXPECT_EQ(error.code(), kErrIntegrityViolation) << error.what();
    }
}

TEST(DbSqliteFile, KeysCompareWithoutCaseBeyondAscii) {
    test::TempFolder folder;
    test::createSqliteFile(folder.path() / "Tickora.db", "CREATE TABLE k (v text)");
    auto connection = openConnection(embedded(folder.path(), "Tickora"));
    connection->execute("INSERT INTO k VALUES ('émile'), ('Zoë'), ('ÉMILE'), ('zoe'), ('ЖАННА'), ('Straße'), ('STRASSE')");
    EXPECT_EQ(single(*connection, "SELECT group_concat(v, ' ') FROM (SELECT v FROM k ORDER BY v COLLATE koru_nocase, rowid)"),
              "STRASSE Straße zoe Zoë émile ÉMILE ЖАННА");
    EXPECT_EQ(single(*connection, "SELECT count(DISTINCT v COLLATE koru_nocase) FROM k"), "6");
    // Bytes that are not UTF-8 keep their place and fold to themselves.
    EXPECT_EQ(single(*connection, "SELECT hex(koru_fold('ΩMEGA ' || x'C0' || 'É'))"), "CF896D65676120C0C3A9");
}

TEST(DbSqliteFile, ConnectingNeverCreatesADatabase) {
    test::TempFolder folder;
    std::filesystem::path missing = folder.path() / "Ledgora.db";
    EXPECT_EQ(openFailure(embedded(folder.path(), "Ledgora")), kErrGeneralFailure);
    EXPECT_EQ(openFailure("Provider=SQLite;Data Source=" + missing.string()), kErrGeneralFailure);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));

    try {
        SqliteConnection connection;
        connection.open(embedded(folder.path(), "Ledgora"));
    } catch (const DbError& error) {
        EXPECT_NE(std::string(error.what()).find("\"Ledgora\""), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("does not exist"), std::string::npos) << error.what();
    }

    // A file that is not a database, and a catalog name that would leave the folder.
    std::filesystem::path text = folder.path() / "notes.db";
    { std::ofstream(text) << "just some text, long enough to be read as a header........."; }
    EXPECT_EQ(openFailure("Provider=SQLite;Data Source=" + text.string()), kErrGeneralFailure);
    test::createSqliteFile(folder.path() / "outside.db");
    EXPECT_EQ(openFailure(embedded(folder.path() / "sub", "../outside")), kErrGeneralFailure);
}

TEST(DbSqliteFile, ADamagedFileIsNamedInItsError) {
    test::TempFolder folder;
    std::filesystem::path text = folder.path() / "notes.db";
    { std::ofstream(text) << std::string(4096, 'x'); }
    // A database whose second page (the table's) is overwritten.
    std::filesystem::path damaged = folder.path() / "damaged.db";
    test::createSqliteFile(damaged, "CREATE TABLE T (A text); INSERT INTO T VALUES ('a')");
    {
        std::fstream file(damaged, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4096);
        file << std::string(4096, '\xAA');
    }
    for (const auto& file : {text, damaged}) {
        SqliteConnection connection;
        try {
            connection.open("Provider=SQLite;Data Source=" + file.string());
            connection.query("SELECT * FROM T")->next();
            ADD_FAILURE() << "no error from " << file;
        } catch (const DbError& error) {
            EXPECT_NE(std::string(error.what()).find("(database file: " + file.string() + ")"), std::string::npos)
                << error.what();
        }
    }
}

TEST(DbSqliteFile, LockedDatabaseFailsWithTimeoutInsteadOfWaitingForever) {
    test::TempFolder folder;
    test::createSqliteFile(folder.path() / "Tickora.db", "CREATE TABLE t (n integer)");
    auto writer = openConnection(embedded(folder.path(), "Tickora"));
    auto other = openConnection(embedded(folder.path(), "Tickora"));
    other->setCommandTimeout(1);

    writer->beginTransaction();
    writer->execute("INSERT INTO t VALUES (1)");
    // WAL: reading goes on beside the writer, and sees the last commit.
    EXPECT_EQ(single(*other, "SELECT count(*) FROM t"), "0");

    auto started = Clock::now();
    try {
        other->execute("INSERT INTO t VALUES (2)");
        FAIL() << "wrote past another writer's lock";
    } catch (const DbError& error) {
        EXPECT_EQ(error.code(), kErrTimeout) << error.what();
        EXPECT_NE(std::string(error.what()).find("locked"), std::string::npos) << error.what();
    }
    auto waited = Clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(5));

    writer->commit();
    other->execute("INSERT INTO t VALUES (2)");
    EXPECT_EQ(single(*writer, "SELECT count(*) FROM t"), "2");
}

TEST(DbSqliteFile, ExecuteRunsEveryStatementOfABatch) {
    test::TempFolder folder;
    test::createSqliteFile(folder.path() / "Tickora.db");
    auto connection = openConnection(embedded(folder.path(), "Tickora"));
    connection->execute("CREATE TABLE a (n integer); INSERT INTO a VALUES (1);\n"
                        "INSERT INTO a VALUES (2); UPDATE a SET n = n + 10;");
    EXPECT_EQ(connection->affectedRows(), 4);
    EXPECT_EQ(single(*connection, "SELECT sum(n) FROM a"), "23");
    // A failing statement stops the batch; what ran before it stays, as autocommit leaves it.
    try {
        connection->execute("INSERT INTO a VALUES (3); INSERT INTO missing VALUES (4); INSERT INTO a VALUES (5)");
    } catch (const DbError& error) {
        EXPECT_EQ(error.code(), kErrNoSuchTable);
    }
    EXPECT_EQ(single(*connection, "SELECT group_concat(n) FROM (SELECT n FROM a ORDER BY n)"), "3,11,12");
    EXPECT_THROW(connection->query("SELECT 1; SELECT 2"), DbError);
}

}  // namespace
}  // namespace koru::db
