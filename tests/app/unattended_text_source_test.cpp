#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "db/product_schema.h"
#include "db/sqlite_connection.h"
#include "support/unattended_program.h"

namespace koru::app {
namespace {

namespace fs = std::filesystem;

class DbUnattendedTextSource : public ::testing::Test, protected test::UnattendedProgram {
protected:
    // Each table of the demo source as NAME.csv, as spreadsheets write them: a heading line,
    // text in quotes (quotes doubled), numbers bare, null as nothing, CR LF line ends.
    void exportDemoSource(const fs::path& folder) {
        db::SqliteConnection demo;
        demo.open("Provider=SQLite;Data Source=" + (home.path() / "source.db").string());
        auto tables = demo.query("SELECT name FROM sqlite_master WHERE type = 'table'");
        while (tables->next()) {
            const std::string table = *tables->value(0);
            std::ofstream out(folder / (table + ".csv"), std::ios::binary);
            std::string heading, select;
            auto info = demo.query("SELECT name FROM pragma_table_info('" + table + "')");
            while (info->next()) {
                heading += (heading.empty() ? "" : ",") + *info->value(0);
                select += (select.empty() ? "" : ", ") + ("typeof([" + *info->value(0) + "]), [" + *info->value(0) + "]");
            }
            out << heading << "\r\n";
            auto rows = demo.query("SELECT " + select + " FROM [" + table + "]");
            while (rows->next()) {
                for (std::size_t i = 0; i < rows->fieldCount(); i += 2) {
                    if (i > 0) out << ',';
                    std::string type = *rows->value(i);
                    std::string value = rows->value(i + 1).value_or("");
                    if (type != "text") {
                        out << value;
                        continue;
                    }
                    out << '"';
                    for (char c : value) out << (c == '"' ? "\"\"" : std::string(1, c));
                    out << '"';
                }
                out << "\r\n";
            }
        }
    }
};

// The proof that the screens and the extraction read a CSV folder as they read a database: the
// demo mapping imports the same items from the demo source's tables exported to CSV.
TEST_F(DbUnattendedTextSource, ACsvFolderImportsTheSameItemsAsTheDatabaseItWasExportedFrom) {
    const std::string items = "SELECT c.StyleID, c.Alpha1, c.Alpha2, c.Alpha3, c.Num1, c.EmailID, p.Alpha1 FROM CIID c "
                              "LEFT JOIN CIID p ON p.ID = c.Parent WHERE c.ID > 3 ORDER BY c.StyleID, c.Alpha1, c.Num1";
    test::Outcome fromSqlite = import('0');
    ASSERT_EQ(fromSqlite.status, 0) << fromSqlite.err;
    const std::string expected = rows(items);

    fs::create_directory(home.path() / "csv");
    exportDemoSource(home.path() / "csv");
    db::createProductDatabase(home.path(), "CSVDB", db::Product::Tickora, true);
    settings("sqlite:" + home.path().string(), "Provider=Text;Data Source=" + (home.path() / "csv").string());
    test::Outcome fromCsv = run("\"/MapFile='demo.xfo'\" /Product=tickora /UserID=admin /Database=CSVDB \"/Update='0'\"");
    ASSERT_EQ(fromCsv.status, 0) << fromCsv.err;
    EXPECT_EQ(fromCsv.out, fromSqlite.out);
    db::SqliteConnection imported;
    imported.open(db::embeddedDestinationString(home.path(), "CSVDB"));
    EXPECT_EQ(test::rowsOf(imported, items), expected);
}

}  // namespace
}  // namespace koru::app
