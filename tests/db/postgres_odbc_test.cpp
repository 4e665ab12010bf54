#include <chrono>

#include "db/connection_factory.h"
#include "db/db_test_support.h"

namespace koru::db {
namespace {

using Clock = std::chrono::steady_clock;

class OdbcPostgres : public testing::Test {
protected:
    void SetUp() override {
        KORU_NEED(server.available(), server.whyNot());
        database = std::make_unique<test::PgDatabase>(server);
    }

    DbError connectFailure(const std::string& connectionString, int timeoutSeconds = 5) {
        OdbcConnection connection;
        connection.setConnectionTimeout(timeoutSeconds);
        try {
            connection.open(connectionString);
        } catch (const DbError& error) {
            EXPECT_FALSE(connection.isOpen());
            EXPECT_EQ(connection.connectionString(), connectionString);
            EXPECT_EQ(connection.providerErrors().size(), error.records().size());
            return error;
        }
        ADD_FAILURE() << "connected";
        return DbError(0, "");
    }

    test::PgServer server;
    std::unique_ptr<test::PgDatabase> database;
};

TEST_F(OdbcPostgres, ConnectFailuresAreToldApart) {
    DbError wrongPassword = connectFailure(server.connectionString(database->name(), server.user, "wrong"));
    EXPECT_EQ(wrongPassword.code(), kErrLoginRefused) << wrongPassword.what();
    EXPECT_EQ(wrongPassword.sqlState(), "08001");

    DbError missingDatabase = connectFailure(server.connectionString("koru_no_such_database"));
    EXPECT_EQ(missingDatabase.code(), kErrGeneralFailure) << missingDatabase.what();
    EXPECT_EQ(missingDatabase.sqlState(), "08001");

    // A port nobody listens on: the one of a listener just closed.
    int closedPort = test::SilentListener().port();
    std::string refused = "Driver=" + *server.driver + ";Server=127.0.0.1;Port=" +
                          std::to_string(closedPort) + ";Database=x;UID=x;PWD=x";
    DbError unreachable = connectFailure(refused);
    EXPECT_EQ(unreachable.code(), kErrGeneralFailure) << unreachable.what();
    EXPECT_EQ(unreachable.sqlState(), "08001");
}

TEST_F(OdbcPostgres, SilentServerNeverHangsAConnect) {
    test::SilentListener listener;
    std::string silent = "Driver=" + *server.driver + ";Server=127.0.0.1;Port=" +
                         std::to_string(listener.port()) + ";Database=x;UID=x;PWD=x";
    auto started = Clock::now();
    DbError error = connectFailure(silent, 1);
    EXPECT_EQ(error.code(), kErrGeneralFailure) << error.what();
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));
}

TEST_F(OdbcPostgres, PasswordWithSeparatorsAndBracesSurvivesTranslation) {
    std::string password = "p;w}d=1";
    std::string role = database->createRole(password);
    database->admin().execute("GRANT CONNECT ON DATABASE " + database->name() + " TO " + role);
    // Quoted the OLE DB way; the translator braces it for ODBC.
    std::string oleDb = "Provider=MSDASQL;Driver=" + *server.driver + ";Server=" + server.host +
                        ";Port=" + server.port + ";Database=" + database->name() +
                        ";User ID=" + role + ";Password='p;w}d=1'";
    auto connection = openConnection(oleDb);
    auto records = connection->query("SELECT current_user");
    ASSERT_TRUE(records->next());
    EXPECT_EQ(records->value(0), role);
}

TEST_F(OdbcPostgres, RoleWithoutSelectIsRefusedPermission) {
    std::string role = database->createRole("reader");
    auto owner = openConnection(database->connectionString());
    owner->execute("CREATE TABLE secrets (n integer)");
    owner->execute("REVOKE ALL ON secrets FROM PUBLIC");
    auto reader = openConnection(server.connectionString(database->name(), role, "reader"));
    try {
        reader->query("SELECT n FROM secrets");
        FAIL() << "read without permission";
    } catch (const DbError& error) {
        EXPECT_EQ(error.code(), kErrPermissionDenied) << error.what();
        EXPECT_EQ(error.sqlState(), "42501");
    }
}

TEST_F(OdbcPostgres, ConnectionKilledDuringAReadFailsAtTheNextCall) {
    auto connection = openConnection(database->connectionString());
    auto pid = connection->query("SELECT pg_backend_pid()");
    ASSERT_TRUE(pid->next());
    std::string backend = pid->value(0).value();
    pid.reset();
    // More rows than one fetch brings, so the read must go back to the server.
    auto records = connection->query("SELECT g FROM generate_series(1, 200000) g");
    ASSERT_TRUE(records->next());
    database->admin().execute("SELECT pg_terminate_backend(" + backend + ")");

    auto started = Clock::now();
    try {
        while (records->next()) {
        }
        FAIL() << "read past a dead connection";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.code() == kErrGeneralFailure || error.code() == kErrConnectionNotUsable)
            << error.code() << " " << error.what();
    }
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));
    try {
        connection->execute("SELECT 1");
        FAIL() << "a dead connection ran a statement";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.code() == kErrGeneralFailure || error.code() == kErrConnectionNotUsable)
            << error.code() << " " << error.what();
    }
    EXPECT_FALSE(connection->isOpen());
    connection->close();
    connection->open(database->connectionString());
    EXPECT_TRUE(connection->isOpen());
}

TEST_F(OdbcPostgres, DeclareFetchIsAddedUnlessTheStringSetsIt) {
    // psqlODBC reads through a server cursor, instead of holding the whole result, only under
    // UseDeclareFetch; the cursor shows in pg_cursors while the read is under way.
    auto openCursors = [&](const std::string& connectionString) {
        auto connection = openConnection(connectionString);
        auto records = connection->query("SELECT g FROM generate_series(1, 5000) g");
        EXPECT_TRUE(records->next());
        // Split so that this statement's own cursor does not match.
        auto cursors = connection->query(
            "SELECT count(*) FROM pg_cursors WHERE statement LIKE '%generate_' || 'series(1, 5000)%'");
        EXPECT_TRUE(cursors->next());
        return cursors->value(0);
    };
    EXPECT_EQ(openCursors(database->connectionString()), "1");
    EXPECT_EQ(openCursors(database->connectionString() + ";UseDeclareFetch=0"), "0");
}

}  // namespace
}  // namespace koru::db
