#include "db/repository.h"

#include <gtest/gtest.h>

#include "support/embedded_destination.h"
#include "support/recording_reporter.h"

namespace koru::db {
namespace {

std::string schemaObjects(Connection& connection, const std::string& type) {
    return test::rowsOf(connection, "SELECT name FROM sqlite_master WHERE type = '" + type +
                                        "' AND name LIKE 'X%' ORDER BY name");
}

class RepositoryTest : public ::testing::Test {
protected:
    test::EmbeddedDestination destination;
    std::unique_ptr<Connection> connection = destination.connect();
    test::RecordingReporter reporter;
    Repository repository{*connection, sqliteRepositoryStatements(), reporter};
};

TEST_F(RepositoryTest, ConnectingAgainEmptiesTheFourMappingTables) {
    EXPECT_EQ(schemaObjects(*connection, "table"), "XFRClause\nXFRMappings\nXFRStructure\nXFRTableLink\n");
    EXPECT_EQ(schemaObjects(*connection, "index"), "XF_Clause\nXF_Clause2\nXF_Mapping\nXF_Mapping2\n");
    connection->execute("Insert into XFRStructure(ID, Name) Values(1, 'Company')");
    connection->execute("INSERT INTO XFRMappings (StructureID, SourceTable) VALUES (1, 'Company')");
    connection->execute("INSERT INTO XFRClause VALUES (NULL, 1, 'a', 'b', '=', 'c', 0, 0)");
    connection->execute("INSERT INTO XFRTableLink (StructureID) VALUES (1)");

    ASSERT_TRUE(repository.Create_XFR_Tables());
    ASSERT_TRUE(repository.Create_XFR_Indexes());
    for (const char* table : {"XFRStructure", "XFRMappings", "XFRClause", "XFRTableLink"}) {
        EXPECT_EQ(test::rowsOf(*connection, std::string("SELECT count(*) FROM ") + table), "0\n") << table;
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(RepositoryTest, TablesKeepTheServersWidthsPaddingAndCaseRules) {
    EXPECT_THROW(connection->execute("Insert into XFRStructure(ID, Name) Values(1, '123456789012345678901')"),
                 DbError);
    connection->execute("Insert into XFRStructure(ID, Name) Values(1, '12345678901234567890')");
    EXPECT_THROW(connection->execute("INSERT INTO XFRMappings (SourceTable) VALUES ('" + std::string(51, 'x') + "')"),
                 DbError);
    connection->execute("INSERT INTO XFRTableLink (sourceTable) VALUES ('" + std::string(100, 'x') + "')");
    // char(10) keeps its blanks; names compare without regard to case.
    connection->execute("INSERT INTO XFRClause (StructureID, SourceTable, SourceColumn, Operator, Criteria, "
                        "StrucOrder, AndClause) VALUES (1, 'Contacts', 'Region', 'like', '%N%', 0, 0)");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT Operator FROM XFRClause WHERE SourceTable = 'CONTACTS'"),
              "like      \n");
    EXPECT_THROW(connection->execute("INSERT INTO XFRClause (StructureID, SourceTable, SourceColumn, Operator, "
                                     "Criteria, StrucOrder, AndClause) VALUES (1, 'a', 'b', NULL, 'c', 0, 0)"),
                 DbError);
}

TEST_F(RepositoryTest, ProductProbesTellTheAssetAndExternalApplicationTables) {
    EXPECT_FALSE(repository.Is_LG_Enabled());
    EXPECT_FALSE(repository.Validate_EXT_DB());

    test::EmbeddedDestination ledgora(Product::Ledgora, "LEDGODB");
    auto assets = ledgora.connect();
    Repository assetRepository(*assets, sqliteRepositoryStatements(), reporter);
    EXPECT_TRUE(assetRepository.Is_LG_Enabled());
    EXPECT_TRUE(assetRepository.Validate_EXT_DB());
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(RepositoryTest, HashAndTransactionLogAreCreatedOnceAndUpgradedInPlace) {
    // An older layout: no StructureParent, the old indexes, and rows to keep.
    connection->execute("CREATE TABLE XFRHASH (CIIDID int NULL, XFRID nvarchar(255) NULL, Parent nvarchar(255) NULL, "
                        "ImportID int NOT NULL, StructureID int NOT NULL, CIIDParent int NULL)");
    connection->execute("CREATE INDEX XFR_Hash_1 ON XFRHASH (XFRID)");
    connection->execute("CREATE INDEX XFR_Hash_2 ON XFRHASH (Parent)");
    connection->execute("INSERT INTO XFRHASH VALUES (7, 'C1', '', 1, 1, NULL)");
    connection->execute("CREATE TABLE XFRTranLog (ID INTEGER PRIMARY KEY, DateTime DateTime NOT NULL, "
                        "User nvarchar(255) NOT NULL, CompName nvarchar(255), Notes nvarchar(255))");
    connection->execute("INSERT INTO XFRTranLog VALUES (1, '2020-01-01 10:00:00', 'ann', 'pc1', '')");

    ASSERT_TRUE(repository.Create_TB_XFR_Hash());
    ASSERT_TRUE(repository.Update_XFR_Hash_Indexes());
    ASSERT_TRUE(repository.Create_TB_XFR_TranLog());
    EXPECT_EQ(test::rowsOf(*connection, "SELECT CIIDID, XFRID, StructureParent FROM xfrhash"), "7|C1|<null>\n");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT ID, User, UpdateImportID FROM xfrtranlog"), "1|ann|<null>\n");
    EXPECT_EQ(schemaObjects(*connection, "index").find("XFR_Hash_"), std::string::npos);

    // Running again changes nothing and keeps one clustered-key index.
    ASSERT_TRUE(repository.Create_TB_XFR_Hash());
    ASSERT_TRUE(repository.Update_XFR_Hash_Indexes());
    ASSERT_TRUE(repository.Create_TB_XFR_TranLog());
    EXPECT_EQ(test::rowsOf(*connection, "SELECT count(*) FROM sqlite_master WHERE name = 'IX_XFRHASH'"), "1\n");
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(RepositoryTest, FreshHashAndTransactionLog) {
    ASSERT_TRUE(repository.Create_TB_XFR_Hash());
    ASSERT_TRUE(repository.Update_XFR_Hash_Indexes());
    ASSERT_TRUE(repository.Create_TB_XFR_TranLog());
    connection->execute("INSERT INTO XFRTranLog (DateTime, User) VALUES ('2026-01-01', 'me')");
    connection->execute("INSERT INTO XFRTranLog (DateTime, User) VALUES ('2026-01-02', 'me')");
    EXPECT_EQ(test::rowsOf(*connection, "SELECT ID FROM XFRTranLog ORDER BY ID"), "1\n2\n");
    EXPECT_THROW(connection->execute("INSERT INTO XFRHASH (CIIDID) VALUES (1)"), DbError);  // ImportID is required
    EXPECT_EQ(test::rowsOf(*connection, "SELECT count(*) FROM sqlite_master WHERE name = 'IX_XFRHASH'"), "1\n");
}

TEST_F(RepositoryTest, FailuresAreReportedWithTheirMessageAndLocation) {
    // A view where a mapping table should be: the drop is suppressed, the create fails.
    connection->execute("DROP TABLE XFRTableLink");
    connection->execute("CREATE VIEW XFRTableLink AS SELECT 1 AS x");
    EXPECT_FALSE(repository.Create_XFR_Tables());
    ASSERT_EQ(reporter.reports.size(), 1u);
    EXPECT_EQ(reporter.reports[0].location, "frmConn:create_xfr_tables");
    EXPECT_EQ(reporter.reports[0].message, "");

    connection->execute("DROP VIEW XFRTableLink");
    ASSERT_TRUE(repository.Create_XFR_Tables());
    connection->execute("CREATE INDEX XF_Mapping ON CIID (Alpha1)");  // the name is taken
    EXPECT_FALSE(repository.Create_XFR_Indexes());
    ASSERT_EQ(reporter.reports.size(), 2u);
    EXPECT_EQ(reporter.reports[1].location, "frmConn:Create_XFR_Indexes");
    EXPECT_EQ(reporter.reports[1].message, "Failed To Create XFR Indexes");

    connection->execute("CREATE VIEW XFRTranLog AS SELECT 1 AS x");
    EXPECT_FALSE(repository.Create_TB_XFR_TranLog());
    ASSERT_EQ(reporter.reports.size(), 3u);
    EXPECT_EQ(reporter.reports[2].location, "DB_MOD:Create_TB_XFR_Hash");
    EXPECT_EQ(reporter.reports[2].message, "Error Creating Import Table XFRHash");
}

}  // namespace
}  // namespace koru::db
