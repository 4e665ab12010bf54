#include <gtest/gtest.h>

#include <map>
#include <string>

#include "db/destination_lock.h"
#include "restore/import_deletion.h"
#include "support/recording_reporter.h"
#include "support/scripted_connection.h"
#include "support/statement_fixtures.h"

namespace koru::restore {
namespace {

using test::ScriptedConnection;

// Session 7 updated session 3. Item 11 sits under item 10, so it is moved up before its own
// turn; item 12 was recorded by an earlier session and stays; item 10 has one request.
void scriptSession(ScriptedConnection& server) {
    server.answer(db::mssqlAcquireLock(db::kDestinationLockWait), {{"result"}, {{"0"}}});
    server.answer("Select count(r.ciidid) as CT From ciid c, xfrhash r where importid = 7 and r.ciidid = c.id",
                  {{"CT"}, {{"3"}}});
    server.answer("Select c.parent, r.ciidid From ciid c, xfrhash r where importid = 7 and r.ciidid = c.id",
                  {{"parent", "ciidid"}, {{"1", "10"}, {"10", "11"}, {"10", "12"}}});
    server.answer("Select distinct r.ciidid From xfrhash r where r.importid = 7 and exists "
                  "(Select e.ciidid From xfrhash e where e.ciidid = r.ciidid and e.importid < 7)",
                  {{"ciidid"}, {{"12"}}});
    server.answer("Select rqid from ties where ciid=10", {{"rqid"}, {{"40"}}});
    server.answer("Select rqid from ties where ciid=11", {{"rqid"}, {}});
    server.answer("Select UpdateImportID from XFRTranLog where ID = 7", {{"UpdateImportID"}, {{"3"}}});
}

TEST(MssqlImportDeletion, SendsEachProductsStatementsInOrder) {
    std::map<std::string, std::string> sent;
    for (bool assets : {false, true}) {
        wizard::Context context;
        auto server = std::make_unique<ScriptedConnection>();
        scriptSession(*server);
        auto transcript = server->transcript;
        context.DestinationConnection = std::move(server);
        context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Mssql);
        context.LGEnabled = assets;
        test::RecordingReporter reporter;
        DeletionResult result = deleteImportSession(context, reporter, 7);
        EXPECT_TRUE(result.success);
        EXPECT_TRUE(reporter.reports.empty());
        EXPECT_EQ(result.itemsDeleted, 2);
        EXPECT_EQ(result.requestsDeleted, assets ? 0 : 1);
        for (std::size_t i = 0; i < transcript->size(); ++i) {
            std::string number = std::to_string(i + 1);
            sent[(assets ? "ledgora." : "tickora.") + std::string(2 - number.size(), '0') + number] = (*transcript)[i];
        }
    }
    test::expectStatementFixture("mssql/restore.tsv", sent);
}

}  // namespace
}  // namespace koru::restore
