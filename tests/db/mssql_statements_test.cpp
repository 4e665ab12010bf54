#include <gtest/gtest.h>

#include "db/repository.h"
#include "mapping/mapping_repository.h"
#include "support/scripted_connection.h"
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

// The statements the mapping operations send to SQL Server, in order, named by operation.
std::map<std::string, std::string> mappingStatements() {
    auto dialect = makeDestinationDialect(DestinationDialect::Kind::Mssql);
    test::ScriptedConnection server;
    server.answer("Select * From XFRMappings Where StructureID = 2", {{"ID"}, {}});
    mapping::MappingRepository repository(server, *dialect);
    std::map<std::string, std::string> named;
    auto take = [&](const std::string& name) {
        addAll(named, name, server.executed);
        addAll(named, name + ".query", server.queried);
        server.executed.clear();
        server.queried.clear();
    };
    repository.ut_clear_map_table();
    take("ut_clear_map_table");
    repository.emptyStructure();
    take("emptyStructure");
    repository.writeLevels({"Company", "Contact"});
    take("writeLevels");
    repository.emptyMappingsAndClauses();
    take("emptyMappingsAndClauses");
    repository.deleteLevelsFrom(2);
    take("deleteLevelsFrom");
    repository.listMappings(2);
    take("listMappings");
    repository.removeMapping(7);
    take("removeMapping");
    named["useDatabase"] = dialect->useDatabase("TICKORDB");
    return named;
}

void expectFixture(const std::string& fixture, const std::map<std::string, std::string>& actual) {
    std::map<std::string, std::string> expected = test::loadStatementFixture(fixture);
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

TEST(MssqlStatements, RepositoryStatementsMatchTheirFixturesCharacterForCharacter) {
    expectFixture("mssql/repository.tsv", repositoryStatements());
}

TEST(MssqlStatements, MappingStatementsMatchTheirFixturesCharacterForCharacter) {
    expectFixture("mssql/mapping.tsv", mappingStatements());
}

}  // namespace
}  // namespace koru::db
