#include <shapefil.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "db/connection_factory.h"
#include "db/db_test_support.h"
#include "db/odbc_connection.h"
#include "support/files.h"
#include "support/unattended_program.h"

namespace koru::app {
namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = fs::path(KORU_FIXTURES_DIR) / "sources";

enum class Kind { Integer, Text, Decimal, Date, Boolean };

struct Column {
    const char* name;
    Kind kind;
    int width;  // text: characters; decimal: digits in all (two after the point)
};

struct Table {
    const char* name;
    std::vector<Column> columns;
};

// The fixture's tables as a database would declare them; the rows are the CSV files'.
const std::vector<Table> kTables = {
    {"Region", {{"RegionID", Kind::Integer, 9}, {"Name", Kind::Text, 30}, {"Order", Kind::Integer, 9},
                {"Active", Kind::Boolean, 1}}},
    {"Site", {{"SiteID", Kind::Integer, 9}, {"RegionID", Kind::Integer, 9}, {"SiteName", Kind::Text, 40},
              {"City", Kind::Text, 40}, {"Opened", Kind::Date, 8}}},
    {"Asset", {{"Tag", Kind::Text, 10}, {"SiteID", Kind::Integer, 9}, {"Make", Kind::Text, 20},
               {"Model", Kind::Text, 30}, {"Price", Kind::Decimal, 10}, {"Bought", Kind::Date, 8},
               {"Leased", Kind::Boolean, 1}, {"Notes", Kind::Text, 60}}},
    {"AssetExtra", {{"Tag", Kind::Text, 10}, {"Warranty", Kind::Date, 8}, {"Cost", Kind::Decimal, 10}}},
};

std::string declared(const Column& column) {
    switch (column.kind) {
        case Kind::Integer: return "integer";
        case Kind::Text: return "varchar(" + std::to_string(column.width) + ")";
        case Kind::Decimal: return "decimal(" + std::to_string(column.width) + ",2)";
        case Kind::Date: return "date";
        case Kind::Boolean: return "boolean";
    }
    return {};
}

using Row = std::vector<std::optional<std::string>>;

// The rows of a fixture table, read through the program's own text-file source.
std::vector<Row> fixtureRows(db::Connection& csv, const Table& table) {
    std::vector<Row> rows;
    auto data = csv.query(std::string("SELECT * FROM [") + table.name + "]");
    while (data->next()) {
        Row row;
        for (std::size_t i = 0; i < table.columns.size(); ++i) row.push_back(data->value(i));
        rows.push_back(row);
    }
    return rows;
}

std::string literal(const std::optional<std::string>& value) {
    if (!value) return "NULL";
    std::string text = "'";
    for (char c : *value) text += c == '\'' ? std::string("''") : std::string(1, c);
    return text + "'";
}

// Every fixture table into a database, names between the quotes given.
void fill(db::Connection& target, db::Connection& csv, const std::string& open, const std::string& close) {
    for (const Table& table : kTables) {
        std::string columns;
        for (const Column& column : table.columns) {
            columns += (columns.empty() ? "" : ", ") + open + column.name + close + " " + declared(column);
        }
        target.execute("CREATE TABLE " + open + table.name + close + " (" + columns + ")");
        for (const Row& row : fixtureRows(csv, table)) {
            std::string values;
            for (const auto& value : row) values += (values.empty() ? "" : ", ") + literal(value);
            target.execute("INSERT INTO " + open + table.name + close + " VALUES (" + values + ")");
        }
    }
}

// The fixture as dBase files, one per table, made with shapelib as other programs make them.
void writeDbf(const fs::path& folder, db::Connection& csv) {
    fs::create_directories(folder);
    for (const Table& table : kTables) {
        DBFHandle dbf = DBFCreateEx((folder / (std::string(table.name) + ".dbf")).c_str(), "UTF-8");
        ASSERT_NE(dbf, nullptr);
        for (const Column& column : table.columns) {
            switch (column.kind) {
                case Kind::Integer: DBFAddField(dbf, column.name, FTInteger, column.width, 0); break;
                case Kind::Text: DBFAddField(dbf, column.name, FTString, column.width * 4, 0); break;
                case Kind::Decimal: DBFAddField(dbf, column.name, FTDouble, column.width, 2); break;
                case Kind::Date: DBFAddNativeFieldType(dbf, column.name, 'D', 8, 0); break;
                case Kind::Boolean: DBFAddNativeFieldType(dbf, column.name, 'L', 1, 0); break;
            }
        }
        int record = 0;
        for (const Row& row : fixtureRows(csv, table)) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                int field = static_cast<int>(i);
                const Column& column = table.columns[i];
                if (!row[i]) {
                    DBFWriteNULLAttribute(dbf, record, field);
                } else if (column.kind == Kind::Boolean) {
                    DBFWriteLogicalAttribute(dbf, record, field, *row[i] == "1" ? 'T' : 'F');
                } else if (column.kind == Kind::Text) {
                    DBFWriteStringAttribute(dbf, record, field, row[i]->c_str());
                } else {
                    // Numbers and dates as written ("12.50" keeps its decimals), dates as YYYYMMDD.
                    std::string text = *row[i];
                    if (column.kind == Kind::Date) text.erase(std::remove(text.begin(), text.end(), '-'), text.end());
                    DBFWriteAttributeDirectly(dbf, record, field, text.data());
                }
            }
            ++record;
        }
        DBFClose(dbf);
    }
}

class OdbcSourceKinds : public ::testing::Test, protected test::UnattendedProgram {
protected:
    OdbcSourceKinds() {
        for (const auto& entry : fs::directory_iterator(kFixtures / "mapping")) {
            fs::copy_file(entry.path(), home.path() / entry.path().filename());
        }
        csv = db::openConnection("Provider=Text;Data Source=" + (kFixtures / "csv").string());
    }

    // The destination's items after a first import of the mapping from this source: every
    // level's fields, the asset fields, and where each item hangs.
    std::string importFrom(const std::string& source) {
        for (const char* suffix : {".db", ".db-journal", ".db-wal", ".db-shm"}) {
            fs::remove(home.path() / (std::string("LEDGODB") + suffix));
        }
        db::createProductDatabase(home.path(), "LEDGODB", db::Product::Ledgora, false);
        settings("sqlite:" + home.path().string(), source);
        test::Outcome outcome = run("\"/MapFile='sites.xfo'\" /Product=ledgora /UserID=admin \"/Update='0'\"");
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        db::SqliteConnection destination;
        destination.open(db::embeddedDestinationString(home.path(), "LEDGODB"));
        return test::rowsOf(destination,
                            "SELECT c.ID, c.Parent, c.StyleID, c.Alpha1, c.Alpha2, c.Num1, c.Num2, c.Notes, "
                            "a.OriginalPrice, a.AcquireDate, a.Date1, a.Curr1 FROM CIID c "
                            "LEFT JOIN AssetCIID a ON a.CIIDID = c.ID ORDER BY c.ID");
    }

    // The same from a database server, the fixture's tables made with quoted names.
    template <typename Database>
    std::string importFromServer(const Database& source, const char* open, const char* close) {
        {
            db::OdbcConnection target;
            target.open(source.connectionString());
            fill(target, *csv, open, close);
        }
        return importFrom(source.connectionString());
    }

    std::unique_ptr<db::Connection> csv;
};

// One mapping of three levels, with a combined field, a clause and a joined table, imports the
// same items from every kind of source: names quoted by each source's rule (a reserved word
// among them), non-ASCII text, nulls, dates, decimals and booleans read alike.
TEST_F(OdbcSourceKinds, OneMappingImportsTheSameItemsFromEveryKindOfSource) {
    const std::string expected = test::rawFile(kFixtures / "expected.txt");
    ASSERT_FALSE(expected.empty());

    fs::path sqliteFile = home.path() / "sites.db";
    test::createSqliteFile(sqliteFile);
    {
        db::SqliteConnection target;
        target.open("Provider=SQLite;Data Source=" + sqliteFile.string());
        fill(target, *csv, "[", "]");
    }
    EXPECT_EQ(importFrom("Provider=SQLite;Data Source=" + sqliteFile.string()), expected) << "native SQLite";
    EXPECT_EQ(importFrom("Provider=Text;Data Source=" + (kFixtures / "csv").string()), expected) << "CSV files";
    writeDbf(home.path() / "dbf", *csv);
    EXPECT_EQ(importFrom("Provider=DBF;Data Source=" + (home.path() / "dbf").string()), expected) << "DBF files";

    auto sqliteOdbc = test::odbcDriverPath("libsqlite3odbc.so");
    KORU_NEED(sqliteOdbc, "the SQLite ODBC driver (libsqlite3odbc.so) is not installed");
    EXPECT_EQ(importFrom("Driver={SQLite3};Database=" + sqliteFile.string()), expected) << "SQLite through ODBC";

    test::PgServer postgres;
    KORU_NEED(postgres.available(), postgres.whyNot());
    test::PgDatabase pgSource(postgres);
    EXPECT_EQ(importFromServer(pgSource, "\"", "\""), expected) << "PostgreSQL, quoted mixed-case names";

    test::MyServer mariadb;
    KORU_NEED(mariadb.available(), mariadb.whyNot());
    test::MyDatabase mySource(mariadb);
    EXPECT_EQ(importFromServer(mySource, "`", "`"), expected) << "MariaDB, quoted mixed-case names";
}

}  // namespace
}  // namespace koru::app
