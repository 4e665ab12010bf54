#include <gtest/gtest.h>

#include "db/repository.h"
#include "support/statement_fixtures.h"

namespace koru::db {
namespace {

void addAll(std::map<std::string, std::string>& named, const std::string& prefix,
            const std::vector<std::string>& statements) {
    for (std::size_t i = 0; i < statements.size(); ++i) named[prefix + "." + std::to_string(i + 1)] = statements[i];
}

std::map<std::string, std::string> repositoryStatements() {
    const RepositoryStatements& mssql = mssqlRepositoryStatements();
    std::map<std::string, std::string> named;
    addAll(named, "Create_XFR_Tables.drop", mssql.dropMappingTables());
    addAll(named, "Create_XFR_Tables.create", mssql.createMappingTables());
    addAll(named, "Create_XFR_Indexes", mssql.createMappingIndexes());
    named["Create_TB_XFR_Hash.alter"] = mssql.addHashStructureParent();
    addAll(named, "Create_TB_XFR_Hash.create", mssql.createHashTable());
    addAll(named, "Update_XFR_Hash_Indexes", mssql.updateHashIndexes());
    named["Create_TB_XFR_TranLog.alter"] = mssql.addTranLogUpdateImportId();
    named["Create_TB_XFR_TranLog.create"] = mssql.createTranLog();
    return named;
}

TEST(MssqlStatements, RepositoryStatementsMatchTheirFixturesCharacterForCharacter) {
    std::map<std::string, std::string> expected = test::loadStatementFixture("mssql/repository.tsv");
    std::map<std::string, std::string> actual = repositoryStatements();
    for (const auto& [name, text] : expected) {
        auto found = actual.find(name);
        if (found == actual.end()) {
            ADD_FAILURE() << "no statement " << name;
            continue;
        }
        EXPECT_EQ(found->second, text) << name;
    }
    for (const auto& [name, text] : actual) {
        EXPECT_TRUE(expected.count(name)) << "statement without a fixture: " << name;
    }
}

}  // namespace
}  // namespace koru::db
