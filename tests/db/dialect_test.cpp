#include <gtest/gtest.h>

#include "db/connection_factory.h"
#include "db/destination_dialect.h"
#include "db/source_dialect.h"
#include "db/db_test_support.h"

namespace koru::db {
namespace {

TEST(DbDialect, DestinationStatementsInEachDialect) {
    auto mssql = makeDestinationDialect(DestinationDialect::Kind::Mssql);
    auto sqlite = makeDestinationDialect(DestinationDialect::Kind::Sqlite);
    EXPECT_EQ(mssql->quoteIdentifier("Odd]Name"), "[Odd]]Name]");
    EXPECT_EQ(sqlite->quoteIdentifier("Odd\"Name]"), "\"Odd\"\"Name]\"");
    EXPECT_EQ(mssql->concat({"a", "' '", "b"}), "a + ' ' + b");
    EXPECT_EQ(sqlite->concat({"a", "' '", "b"}), "a || ' ' || b");
    EXPECT_EQ(mssql->selectTop(1, "* FROM [CIID] WHERE x = 1"), "SELECT TOP 1 * FROM [CIID] WHERE x = 1");
    EXPECT_EQ(sqlite->selectTop(1, "* FROM CIID WHERE x = 1"), "SELECT * FROM CIID WHERE x = 1 LIMIT 1");
    EXPECT_EQ(mssql->truncateTable("XFRMappings"), "Truncate Table XFRMappings");
    EXPECT_EQ(mssql->useDatabase("TICKORDB"), "Use [TICKORDB]");
    EXPECT_EQ(sqlite->truncateTable("XFR Hash"), "DELETE FROM \"XFR Hash\"");
    EXPECT_EQ(mssql->isNull("Name", "''"), "ISNULL(Name, '')");
    EXPECT_EQ(sqlite->isNull("Name", "''"), "IFNULL(Name, '')");
}

TEST(DbDialect, SqliteDestinationStatementsHaveTheirEffect) {
    test::TempFolder folder;
    test::createSqliteFile(folder.path() / "Tickora.db");
    auto connection = openConnection("Provider=SQLOLEDB;Initial Catalog=Tickora;Data Source='sqlite:" +
                                     folder.path().string() + "'");
    auto dialect = makeDestinationDialect(DestinationDialect::Kind::Sqlite);
    std::string table = dialect->quoteIdentifier("XFR \"Hash]");
    connection->execute("CREATE TABLE " + table + " (id integer, name varchar(20))");
    connection->execute("INSERT INTO " + table + " VALUES (1, 'a'), (2, NULL), (3, 'c')");
    auto records = connection->query(dialect->selectTop(
        2, dialect->concat({"'#'", dialect->isNull("name", "'-'")}) + " FROM " + table + " ORDER BY id"));
    std::vector<std::string> seen;
    while (records->next()) seen.push_back(records->value(0).value_or("null"));
    EXPECT_EQ(seen, (std::vector<std::string>{"#a", "#-"}));
    records.reset();
    connection->execute(dialect->truncateTable("XFR \"Hash]"));
    auto count = connection->query("SELECT count(*) FROM " + table);
    ASSERT_TRUE(count->next());
    EXPECT_EQ(count->value(0), "0");
}

TEST(DbDialect, SourceDialectFollowsTheDbmsName) {
    auto sqlServer = makeSourceDialect("Microsoft SQL Server", "\"");
    EXPECT_EQ(sqlServer->kind(), SourceDialect::Kind::SqlServer);
    EXPECT_EQ(sqlServer->quoteIdentifier("a]b"), "[a]]b]");
    EXPECT_EQ(sqlServer->concat({"First", "Last"}), "First + Last");
    EXPECT_EQ(sqlServer->selectTop(5, "* FROM t"), "SELECT TOP 5 * FROM t");

    auto access = makeSourceDialect("ACCESS", "`");
    EXPECT_EQ(access->kind(), SourceDialect::Kind::Access);
    EXPECT_EQ(access->quoteIdentifier("Staff List"), "[Staff List]");
    EXPECT_EQ(access->isNull("Phone", "''"), "IIf(IsNull(Phone), '', Phone)");
    // MDBTools, which reads Access files, takes the data viewer's TOP but no FETCH FIRST.
    EXPECT_EQ(makeSourceDialect("MDBTOOLS", "\"")->selectTop(10, "* from [t]"), "SELECT TOP 10 * from [t]");

    auto mysql = makeSourceDialect("MariaDB", "`");
    EXPECT_EQ(mysql->kind(), SourceDialect::Kind::MySql);
    EXPECT_EQ(mysql->quoteIdentifier("a`b"), "`a``b`");
    EXPECT_EQ(mysql->concat({"a", "b", "c"}), "CONCAT(a, b, c)");
    EXPECT_EQ(mysql->selectTop(5, "* FROM t"), "SELECT * FROM t LIMIT 5");

    EXPECT_EQ(makeSourceDialect("PostgreSQL", "\"")->concat({"a", "b"}), "a || b");
    EXPECT_EQ(makeSourceDialect("SQLite", "\"")->kind(), SourceDialect::Kind::Sqlite);

    auto generic = makeSourceDialect("Oracle", "\"");
    EXPECT_EQ(generic->kind(), SourceDialect::Kind::Generic);
    EXPECT_EQ(generic->quoteIdentifier("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(generic->concat({"a", "b", "c"}), "{fn CONCAT({fn CONCAT(a, b)}, c)}");
    EXPECT_EQ(generic->selectTop(5, "* FROM t"), "SELECT * FROM t FETCH FIRST 5 ROWS ONLY");
    EXPECT_EQ(generic->isNull("a", "b"), "COALESCE(a, b)");
    // A driver without identifier quoting leaves names as they are.
    EXPECT_EQ(makeSourceDialect("Flatfile", " ")->quoteIdentifier("name"), "name");
}

}  // namespace
}  // namespace koru::db
