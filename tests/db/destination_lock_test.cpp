#include "db/destination_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <thread>

#include "support/lock_holder.h"
#include "support/scripted_connection.h"
#include "support/statement_fixtures.h"
#include "support/temp_home.h"

namespace koru::db {
namespace {

using namespace std::chrono_literals;

TEST(DestinationLock, ASecondProcessWaitsThenFailsNamingTheHolderAndTheHoldersDeathFreesIt) {
    test::TempHome home;
    const std::filesystem::path database = home.path() / "TICKORDB.db";
    auto lock = makeFileDestinationLock(database);
    {
        test::LockHolder holder(database);
        ASSERT_TRUE(holder.held());
        EXPECT_FALSE(lock->acquire(300ms));
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        EXPECT_TRUE(std::regex_match(lock->holder(), std::regex(".+, " + std::string(host) +
                                                                 ", since \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d")))
            << lock->holder();
        EXPECT_EQ(destinationBusyMessage("TICKORDB", lock->holder()),
                  "Another import or undo is running on the database TICKORDB (" + lock->holder() +
                      "). Nothing was changed; try again when it has finished.");
        holder.kill();
        EXPECT_TRUE(lock->acquire(0ms));
        EXPECT_TRUE(lock->acquire(0ms));  // held already
    }

    // Held here: another process cannot have it; released, it can.
    EXPECT_FALSE(test::LockHolder(database).held());
    lock->release();
    EXPECT_TRUE(test::LockHolder(database).held());

    // A waiter gets the lock once the holder dies within its wait.
    test::LockHolder late(database);
    ASSERT_TRUE(late.held());
    std::thread killer([&] {
        std::this_thread::sleep_for(200ms);
        late.kill();
    });
    EXPECT_TRUE(lock->acquire(30s));
    killer.join();
}

TEST(DestinationLock, SqlServerHoldsAnApplicationLockOfTheSession) {
    const std::string acquireText = mssqlAcquireLock(kDestinationLockWait);
    test::expectStatementFixture(
        "mssql/destination_lock.tsv",
        {{"acquire", acquireText}, {"holder", mssqlLockHolder()}, {"release", mssqlReleaseLock()}});

    test::ScriptedConnection server;
    server.setCommandTimeout(30);
    auto lock = makeDestinationLock(server, DestinationDialect::Kind::Mssql);
    server.answer(acquireText, {{"result"}, {{"-1"}}});
    EXPECT_FALSE(lock->acquire(kDestinationLockWait));
    EXPECT_EQ(lock->holder(), "another session");  // the sessions are not visible to this login
    server.answer(mssqlLockHolder(),
                  {{"login_name", "host_name", "since"}, {{"jsmith", "WS-07", "2026-12-06 16:01:18"}}});
    EXPECT_FALSE(lock->acquire(kDestinationLockWait));
    EXPECT_EQ(lock->holder(), "jsmith, WS-07, since 2026-12-06 16:01:18");
    EXPECT_EQ(server.commandTimeout(), 30);

    server.answer(acquireText, {{"result"}, {{"1"}}});
    EXPECT_TRUE(lock->acquire(kDestinationLockWait));
    lock.reset();
    EXPECT_EQ(server.executed, std::vector<std::string>{mssqlReleaseLock()});

    server.answer(acquireText, {{"result"}, {{"-999"}}});
    EXPECT_THROW(makeDestinationLock(server, DestinationDialect::Kind::Mssql)->acquire(kDestinationLockWait), DbError);
}

}  // namespace
}  // namespace koru::db
