#include "db/product_schema.h"

#include <gtest/gtest.h>

#include "db/demo_source.h"
#include "db/sqlite_connection.h"
#include "support/embedded_destination.h"

namespace koru::db {
namespace {

TEST(ProductSchema, DemoDatabasesHoldWhatTheWizardNeeds) {
    test::EmbeddedDestination ledgora(Product::Ledgora, "LEDGODB");
    auto connection = ledgora.connect();
    EXPECT_EQ(test::rowsOf(*connection, "SELECT count(*) FROM Style WHERE Specstyle = 'REQUEST'"), "1\n");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT Description FROM categories WHERE Parent = 0 ORDER BY ID"),
              "Hardware\nSoftware\n");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT count(*) FROM ExtApps"), "2\n");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT Alpha1, Parent FROM CIID ORDER BY ID"),
              "Veltrane Ltd|0\nHelp Desk|1\nAnn Admin|2\n");
    EXPECT_THROW(createProductDatabase(ledgora.folder(), "LEDGODB", Product::Ledgora, false), DbError);

    test::EmbeddedDestination tickora;
    auto helpDesk = tickora.connect();
    EXPECT_THROW(helpDesk->query("SELECT * FROM AssetCIID"), DbError);
    EXPECT_THROW(helpDesk->query("SELECT * FROM ExtApps"), DbError);
}

TEST(ProductSchema, UpdateTriggersWriteHistoryOnlyWhileSwitchedOn) {
    test::EmbeddedDestination ledgora(Product::Ledgora, "LEDGODB");
    auto connection = ledgora.connect();
    connection->execute("INSERT INTO AssetCIID (CIIDID, AssetID) VALUES (3, 'VT-1')");
    connection->execute("INSERT INTO AssetMaintain (CIIDID) VALUES (3)");
    connection->execute("UPDATE CIID SET Num10 = Num10 WHERE ID = 3");
    connection->execute("UPDATE AssetCIID SET Num1 = '5' WHERE CIIDID = 3");
    connection->execute("UPDATE AssetMaintain SET Notes = 'x' WHERE CIIDID = 3");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT CIIDID, Parent, Username FROM CIIDHistory"), "3|2|PRODUCT\n");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT CIIDID FROM AssetCIIDHistory"), "3\n");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT CIIDID FROM AssetMaintainHistory"), "3\n");
    // History dates are local time, as the server's current_timestamp is.
    EXPECT_EQ(test::rowsOf(*connection, "SELECT Date = datetime('now', 'localtime') OR "
                                        "abs(strftime('%s', Date) - strftime('%s', 'now', 'localtime')) < 5 "
                                        "FROM CIIDHistory"),
              "1\n");

    connection->execute("UPDATE koru_trigger_switch SET enabled = 0");
    connection->execute("UPDATE CIID SET Num10 = Num10");
    connection->execute("UPDATE AssetCIID SET Num1 = '6'");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT count(*) FROM CIIDHistory"), "1\n");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT count(*) FROM AssetCIIDHistory"), "1\n");
    // Declared widths hold, as on the server.
    EXPECT_THROW(connection->execute("UPDATE CIID SET Num1 = '" + std::string(36, '9') + "'"), DbError);
}

TEST(ProductSchema, DemoSourceHasAwkwardValues) {
    test::EmbeddedDestination destination;
    std::filesystem::path file = destination.folder() / "source.db";
    createDemoSourceDatabase(file);
    EXPECT_THROW(createDemoSourceDatabase(file), DbError);
    SqliteConnection source;
    source.open("Provider=SQLite;Data Source=" + file.string());
    EXPECT_EQ(test::rowsOf(source, "SELECT CoName FROM Company WHERE CoID = 2"), "O'Brien & Sons\n");
    EXPECT_EQ(test::rowsOf(source, "SELECT count(*) FROM Contact WHERE DeptID IS NULL"), "1\n");
    EXPECT_EQ(test::rowsOf(source, "SELECT count(*) FROM (SELECT DeptName FROM Department GROUP BY CoID, DeptName "
                                   "HAVING count(*) > 1)"),
              "1\n");
    EXPECT_EQ(source.tables(ObjectType::Table),
              (std::vector<std::string>{"Company", "Contact", "Department", "PC", "Software"}));
}

}  // namespace
}  // namespace koru::db
