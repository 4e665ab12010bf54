// MariaDB through its Connector/ODBC, reached with the strings users write for it.

#include "db/connection_factory.h"
#include "db/connection_string.h"
#include "db/db_test_support.h"

namespace koru::db {
namespace {

class OdbcMariaDb : public testing::Test {
protected:
    void SetUp() override {
        KORU_NEED(server.available(), server.whyNot());
        database = std::make_unique<test::MyDatabase>(server);
    }

    test::MyServer server;
    std::unique_ptr<test::MyDatabase> database;
};

TEST_F(OdbcMariaDb, TheStringsUsersWriteConnectAndFailuresAreToldApart) {
    const std::string at = ";Port=" + server.port + ";";
    const std::string login = ";User ID=" + server.user + ";Password='" + server.password + "'";
    // {MySQL} and {MariaDB} name the installed driver; Data Source is the server.
    const std::string connecting[] = {
        "Provider=MSDASQL;Driver={MySQL};Data Source=" + server.host + at + "Initial Catalog=" + database->name() + login,
        "Driver={MariaDB};Data Source=" + server.host + at + "Database=" + database->name() + ";UID=" + server.user +
            ";PWD=" + server.password,
    };
    for (std::size_t i = 0; i < std::size(connecting); ++i) {
        SCOPED_TRACE(i);
        auto connection = openConnection(connecting[i]);
        auto rows = connection->query("SELECT DATABASE()");
        ASSERT_TRUE(rows->next());
        EXPECT_EQ(rows->value(0), database->name());
    }

    const std::string closedPort = std::to_string(test::SilentListener().port());
    const struct {
        std::string connectionString;
        std::int32_t code;
    } failing[] = {
        {server.connectionString(database->name(), server.user, "not the password"), kErrLoginRefused},
        {server.connectionString("koru_no_such_database"), kErrGeneralFailure},
        {"Driver={MariaDB};Server=127.0.0.1;Port=" + closedPort + ";UID=x;PWD=x", kErrGeneralFailure},
    };
    for (const auto& failure : failing) {
        SCOPED_TRACE(maskPasswords(failure.connectionString));
        OdbcConnection connection;
        connection.setConnectionTimeout(5);
        try {
            connection.open(failure.connectionString);
            ADD_FAILURE() << "connected";
        } catch (const DbError& error) {
            EXPECT_EQ(error.code(), failure.code) << error.what();
            EXPECT_FALSE(connection.isOpen());
        }
    }
}

}  // namespace
}  // namespace koru::db
