#include <gtest/gtest.h>

#include "db/preview_connection.h"
#include "db/repository.h"
#include "mapping/mapping_repository.h"
#include "support/scripted_connection.h"
#include "support/statement_fixtures.h"

namespace koru::db {
namespace {

std::map<std::string, std::string> repositoryStatements() {
    const RepositoryStatements& mssql = mssqlRepositoryStatements();
    std::map<std::string, std::string> named;
    test::addNumbered(named, "Create_XFR_Tables.drop", mssql.dropMappingTables());
    test::addNumbered(named, "Create_XFR_Tables.create", mssql.createMappingTables());
    test::addNumbered(named, "Create_XFR_Indexes", mssql.createMappingIndexes());
    named["Create_TB_XFR_Hash.alter"] = mssql.addHashStructureParent();
    test::addNumbered(named, "Create_TB_XFR_Hash.create", mssql.createHashTable());
    test::addNumbered(named, "Update_XFR_Hash_Indexes", mssql.updateHashIndexes());
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
        test::addNumbered(named, name, server.executed);
        test::addNumbered(named, name + ".query", server.queried);
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

TEST(MssqlStatements, RepositoryStatementsMatchTheirFixturesCharacterForCharacter) {
    test::expectStatementFixture("mssql/repository.tsv", repositoryStatements());
}

TEST(MssqlStatements, MappingStatementsMatchTheirFixturesCharacterForCharacter) {
    test::expectStatementFixture("mssql/mapping.tsv", mappingStatements());
}

// A preview on SQL Server: the stage's own transaction becomes a savepoint inside the preview's,
// and nothing of it is committed.
TEST(MssqlStatements, PreviewSavepointsMatchTheirFixtures) {
    struct TransactionalServer : test::ScriptedConnection {
        void beginTransaction() override { open = true; }
        void rollback() override { open = false; }
        bool inTransaction() const override { return open; }
        bool open = false;
    };
    auto server = std::make_unique<TransactionalServer>();
    TransactionalServer& real = *server;
    std::map<std::string, std::string> named;
    {
        PreviewConnection preview(std::move(server), DestinationDialect::Kind::Mssql);
        preview.beginTransaction();
        preview.commit();
        preview.beginTransaction();
        preview.rollback();
        ASSERT_EQ(real.executed.size(), 3u);
        EXPECT_EQ(real.executed[0], real.executed[1]);
        named["preview.begin"] = real.executed[1];
        named["preview.rollback"] = real.executed[2];
        EXPECT_TRUE(real.inTransaction());
    }
    test::expectStatementFixture("mssql/preview.tsv", named);
}

}  // namespace
}  // namespace koru::db
