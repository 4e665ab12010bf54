#include "mapping/mapping_repository.h"

#include <gtest/gtest.h>

#include "support/embedded_destination.h"

namespace koru::mapping {
namespace {

class MappingRepositoryTest : public ::testing::Test {
protected:
    test::EmbeddedDestination destination;
    std::unique_ptr<db::Connection> connection = destination.connect();
    std::unique_ptr<db::DestinationDialect> dialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
    MappingRepository repository{*connection, *dialect};

    std::string rows(const std::string& sql) { return test::rowsOf(*connection, sql); }
};

TEST_F(MappingRepositoryTest, LevelsMappingsAndClausesGoTogetherFromALevelUp) {
    repository.writeLevels({"Company", "Department", "Contact"});
    EXPECT_EQ(rows("SELECT ID, Name, ULink, ULinkID, ULinkNumeric FROM XFRStructure ORDER BY ID"),
              "1|Company|<null>|<null>|<null>\n2|Department|<null>|<null>|<null>\n3|Contact|<null>|<null>|<null>\n");
    for (int level = 1; level <= 3; ++level) {
        repository.addMapping({0, level, "T" + std::to_string(level), "Name", "CIID", "Alpha1", 1});
        connection->execute("INSERT INTO XFRClause (StructureID, SourceTable, SourceColumn, Operator, Criteria, "
                            "StrucOrder, AndClause) VALUES (" + std::to_string(level) + ", 'T', 'C', '=', 'x', 0, 0)");
    }
    repository.deleteLevelsFrom(2);
    EXPECT_EQ(rows("SELECT ID FROM XFRStructure"), "1\n");
    EXPECT_EQ(rows("SELECT StructureID FROM XFRMappings"), "1\n");
    EXPECT_EQ(rows("SELECT StructureID FROM XFRClause"), "1\n");
}

TEST_F(MappingRepositoryTest, MappingsAreAddedListedAndRemovedByTheirId) {
    std::int64_t first = repository.addMapping({0, 2, "Contacts", "FirstName", "CIID", "Alpha1", 1});
    std::int64_t separator = repository.addMapping({0, 2, std::nullopt, std::nullopt, "TEXTSEP", " - ", 2});
    std::int64_t second = repository.addMapping({0, 2, "Contacts", "LastName", "CIID", "Alpha1", 3});
    repository.addMapping({0, 1, "Company", "CoName", "CIID", "Alpha1", 1});
    EXPECT_LT(first, separator);
    EXPECT_LT(separator, second);

    std::vector<ColumnMapping> level2 = repository.listMappings(2);
    ASSERT_EQ(level2.size(), 3u);
    EXPECT_EQ(level2[1].id, separator);
    EXPECT_FALSE(level2[1].sourceTable);
    EXPECT_EQ(level2[1].destinTable, "TEXTSEP");
    EXPECT_EQ(level2[1].destinColumn, " - ");
    EXPECT_EQ(level2[2].level, 3);

    repository.removeMapping(separator);
    EXPECT_EQ(repository.listMappings(2).size(), 2u);
    EXPECT_EQ(repository.listMappings(1).size(), 1u);
}

TEST_F(MappingRepositoryTest, ANewMappingInheritsNoRowsOfTheOldOne) {
    repository.writeLevels({"Company"});
    repository.addMapping({0, 1, "Company", "CoName", "CIID", "Alpha1", 1});
    connection->execute("INSERT INTO XFRTableLink (StructureID, sourceTable, sourceColumn, destinTable, destinColumn) "
                        "VALUES (1, 'Company', 'CoID', 'Address', 'CoID')");
    repository.ut_clear_map_table();
    for (const char* table : {"XFRStructure", "XFRMappings", "XFRClause", "XFRTableLink"}) {
        EXPECT_EQ(rows(std::string("SELECT count(*) FROM ") + table), "0\n") << table;
    }

    connection->execute("INSERT INTO XFRTableLink (StructureID) VALUES (1)");
    repository.writeLevels({"Company"});
    repository.emptyStructure();
    EXPECT_EQ(rows("SELECT count(*) FROM XFRStructure"), "0\n");
    EXPECT_EQ(rows("SELECT count(*) FROM XFRTableLink"), "0\n");
}

TEST_F(MappingRepositoryTest, StructureLevelsAreRebuiltFromTheRepository) {
    connection->execute("INSERT INTO XFRStructure (ID, Name, DLink, ULink, ULinkNumeric, ULinkID, StyleID) VALUES "
                        "(2, 'Contact', NULL, '[Contact].[CoID]', 1, 1, NULL), (1, 'Company', '[Company].[CoID]', NULL, "
                        "NULL, NULL, 4)");
    wizard::Context context;
    context.Gstructures.resize(9);
    context.Gstructures[2].StyleID = 7;  // records are cleared, not kept
    rebuildStructureLevels(*connection, context);
    ASSERT_EQ(context.Gstructures.size(), 3u);
    EXPECT_EQ(context.Gstructures[1].Name, "Company");
    EXPECT_EQ(context.Gstructures[1].DLink, "[Company].[CoID]");
    EXPECT_EQ(context.Gstructures[1].ULink, "");
    EXPECT_EQ(context.Gstructures[1].StyleID, 4);
    EXPECT_EQ(context.Gstructures[2].ULinkID, 1);
    EXPECT_TRUE(context.Gstructures[2].ULinkNumeric);
    EXPECT_EQ(context.Gstructures[2].StyleID, 0);

    connection->execute("INSERT INTO XFRStructure (ID, Name) VALUES (5, 'Gap')");
    EXPECT_THROW(rebuildStructureLevels(*connection, context), std::out_of_range);
    EXPECT_EQ(context.Gstructures.size(), 1u);  // the previous levels are gone
}

}  // namespace
}  // namespace koru::mapping
