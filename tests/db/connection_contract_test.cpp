// One contract for db::Connection, bound to SQLite through its C API, SQLite through its ODBC
// driver, PostgreSQL through psqlODBC and MariaDB through its Connector/ODBC.

#include <chrono>
#include <functional>
#include <thread>

#include "db/ado_types.h"
#include "db/connection_factory.h"
#include "db/source_dialect.h"
#include "db/db_test_support.h"

namespace koru::db {
namespace {

using test::MyServer;
using test::PgServer;

// A declared column type and what ADO says about such a column.
struct TypeCase {
    std::string declared;
    int adoType;
    long definedSize;  // 0: not checked
};

class Backend {
public:
    virtual ~Backend() = default;
    // A fresh, empty database.
    virtual std::string connectionString() = 0;
    virtual std::string identityColumn() const = 0;
    virtual std::string blobType() const = 0;
    // A query that runs far longer than any test may take.
    virtual std::string slowQuery() const = 0;
    virtual std::vector<TypeCase> typeCases() const = 0;
    virtual std::string dbmsName() const = 0;
};

const char* kSqliteSlowQuery =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 500000000) "
    "SELECT count(*) FROM c";

class SqliteNative : public Backend {
public:
    std::string connectionString() override {
        test::createSqliteFile(m_folder.path() / "contract.db");
        return "Provider=SQLite;Data Source=" + (m_folder.path() / "contract.db").string();
    }
    std::string identityColumn() const override { return "INTEGER PRIMARY KEY AUTOINCREMENT"; }
    std::string blobType() const override { return "BLOB"; }
    std::string slowQuery() const override { return kSqliteSlowQuery; }
    std::string dbmsName() const override { return "SQLite"; }
    // The declared types of the embedded destination's schemas, read as SQL Server reads them.
    std::vector<TypeCase> typeCases() const override {
        return {{"INTEGER", ado::kInteger, 4},        {"SMALLINT", ado::kSmallInt, 2},
                {"TINYINT", ado::kUnsignedTinyInt, 1}, {"BIGINT", ado::kBigInt, 8},
                {"REAL", ado::kSingle, 4},             {"FLOAT", ado::kDouble, 8},
                {"DECIMAL(10,2)", ado::kNumeric, 0},   {"MONEY", ado::kCurrency, 8},
                {"BIT", ado::kBoolean, 2},             {"DATE", ado::kDbDate, 0},
                {"TIME", ado::kDbTime, 0},             {"DATETIME", ado::kDbTimeStamp, 0},
                {"UNIQUEIDENTIFIER", ado::kGuid, 16},  {"CHAR(3)", ado::kChar, 3},
                {"NCHAR(4)", ado::kWChar, 4},          {"VARCHAR(20)", ado::kVarChar, 20},
                {"NVARCHAR(50)", ado::kVarWChar, 50},
                {"TEXT", ado::kLongVarChar, kLongDefinedSize},
                {"NTEXT", ado::kLongVarWChar, 0},      {"BINARY(8)", ado::kBinary, 8},
                {"VARBINARY(16)", ado::kVarBinary, 16}, {"BLOB", ado::kLongVarBinary, 0}};
    }

private:
    test::TempFolder m_folder;
};

class SqliteOdbc : public SqliteNative {
public:
    explicit SqliteOdbc(std::string driver) : m_driver(std::move(driver)) {}
    std::string connectionString() override {
        test::createSqliteFile(m_folder.path() / "contract.db");
        return "Driver=" + m_driver + ";Database=" + (m_folder.path() / "contract.db").string();
    }
    // What the SQLite ODBC driver reports for each declared type.
    std::vector<TypeCase> typeCases() const override {
        return {{"INTEGER", ado::kInteger, 4},   {"SMALLINT", ado::kSmallInt, 2},
                {"TINYINT", ado::kTinyInt, 1},   {"BIGINT", ado::kBigInt, 8},
                {"REAL", ado::kDouble, 8},       {"DATE", ado::kDbDate, 0},
                {"DATETIME", ado::kDbTimeStamp, 0}, {"BIT", ado::kBoolean, 2},
                {"MONEY", ado::kCurrency, 8},    {"VARCHAR(20)", ado::kVarChar, 20},
                {"TEXT", ado::kLongVarChar, kLongDefinedSize}};
    }

private:
    std::string m_driver;
    test::TempFolder m_folder;
};

class Postgres : public Backend {
public:
    explicit Postgres(const PgServer& server) : m_database(server) {}
    std::string connectionString() override { return m_database.connectionString(); }
    std::string identityColumn() const override { return "SERIAL PRIMARY KEY"; }
    std::string blobType() const override { return "bytea"; }
    std::string slowQuery() const override { return "SELECT pg_sleep(60)"; }
    std::string dbmsName() const override { return "PostgreSQL"; }
    std::vector<TypeCase> typeCases() const override {
        return {{"integer", ado::kInteger, 4},       {"smallint", ado::kSmallInt, 2},
                {"bigint", ado::kBigInt, 8},         {"real", ado::kSingle, 4},
                {"double precision", ado::kDouble, 8}, {"numeric(10,2)", ado::kNumeric, 0},
                {"money", ado::kCurrency, 8},        {"date", ado::kDbDate, 0},
                {"time", ado::kDbTime, 0},           {"timestamp", ado::kDbTimeStamp, 0},
                {"uuid", ado::kGuid, 16},            {"char(3)", ado::kChar, 3},
                {"varchar(20)", ado::kVarChar, 20},  {"text", ado::kLongVarChar, kLongDefinedSize},
                {"bytea", ado::kLongVarBinary, 0}};
    }

private:
    test::PgDatabase m_database;
};

class MariaDb : public Backend {
public:
    explicit MariaDb(const MyServer& server) : m_database(server) {}
    std::string connectionString() override { return m_database.connectionString(); }
    std::string identityColumn() const override { return "INTEGER AUTO_INCREMENT PRIMARY KEY"; }
    std::string blobType() const override { return "longblob"; }
    // An interrupted BENCHMARK() answers 0 as if it had finished; SLEEP() fails.
    std::string slowQuery() const override { return "SELECT SLEEP(60)"; }
    std::string dbmsName() const override { return "MariaDB"; }
    std::vector<TypeCase> typeCases() const override {
        return {{"int", ado::kInteger, 4},           {"smallint", ado::kSmallInt, 2},
                {"tinyint", ado::kTinyInt, 1},       {"bigint", ado::kBigInt, 8},
                {"int unsigned", ado::kUnsignedInt, 4}, {"bigint unsigned", ado::kUnsignedBigInt, 8},
                {"float", ado::kSingle, 4},          {"double", ado::kDouble, 8},
                {"decimal(10,2)", ado::kNumeric, 0}, {"bit(1)", ado::kBoolean, 2},
                {"date", ado::kDbDate, 0},           {"time", ado::kDbTime, 0},
                {"datetime", ado::kDbTimeStamp, 0},  {"char(3)", ado::kChar, 3},
                {"varchar(20)", ado::kVarChar, 20},  {"text", ado::kLongVarChar, kLongDefinedSize},
                {"binary(8)", ado::kBinary, 8},      {"varbinary(16)", ado::kVarBinary, 16},
                {"longblob", ado::kLongVarBinary, 0}};
    }

private:
    test::MyDatabase m_database;
};

struct BackendKind {
    std::string name;
    // The backend, or nullptr with the reason it is not available here.
    std::function<std::unique_ptr<Backend>(std::string& whyNot)> make;
};

std::string printName(const testing::TestParamInfo<BackendKind>& info) { return info.param.name; }

void PrintTo(const BackendKind& kind, std::ostream* out) { *out << kind.name; }

class DbContract : public testing::TestWithParam<BackendKind> {
protected:
    void SetUp() override {
        std::string whyNot;
        m_backend = GetParam().make(whyNot);
        KORU_NEED(m_backend, whyNot);
        m_connectionString = m_backend->connectionString();
        connection = openConnection(m_connectionString);
    }

    std::vector<std::vector<std::optional<std::string>>> rows(const std::string& sql) {
        std::vector<std::vector<std::optional<std::string>>> result;
        auto records = connection->query(sql);
        while (records->next()) {
            std::vector<std::optional<std::string>> row;
            for (std::size_t i = 0; i < records->fieldCount(); ++i) row.push_back(records->value(i));
            result.push_back(std::move(row));
        }
        return result;
    }

    // Runs `action`, which must fail with `code`; returns the error.
    template <typename Action>
    DbError failure(Action action, std::int32_t code) {
        try {
            action();
        } catch (const DbError& error) {
            EXPECT_EQ(error.code(), code) << error.what();
            return error;
        }
        ADD_FAILURE() << "no failure";
        return DbError(0, "");
    }

    std::unique_ptr<Backend> m_backend;
    std::string m_connectionString;
    std::unique_ptr<Connection> connection;
};

TEST_P(DbContract, RoundTripsValuesAndReadsFieldsByNameOrPosition) {
    EXPECT_TRUE(connection->isOpen());
    EXPECT_EQ(connection->connectionString(), m_connectionString);
    EXPECT_EQ(connection->dbmsName(), m_backend->dbmsName());
    connection->execute("CREATE TABLE people (id integer NOT NULL, name varchar(200), note text)");
    connection->execute(
        // A backslash is no escape in a literal, as on SQL Server.
        "INSERT INTO people VALUES (1, 'O''Brien; \"the\" {boss} C:\\new\\', NULL), "
        "(2, 'Zoë Müller – 東京', ''), (3, NULL, 'x')");
    EXPECT_EQ(connection->affectedRows(), 3);
    connection->execute("UPDATE people SET note = 'y' WHERE id > 1");
    EXPECT_EQ(connection->affectedRows(), 2);
    connection->execute("UPDATE people SET note = 'z' WHERE id > 100");
    EXPECT_EQ(connection->affectedRows(), 0);

    auto records = connection->query("SELECT id, name AS full_name, note FROM people ORDER BY id");
    ASSERT_EQ(records->fieldCount(), 3u);
    EXPECT_EQ(records->field(1).name, "full_name");
    EXPECT_EQ(records->fieldIndex("FULL_NAME"), 1u);
    EXPECT_EQ(records->fieldIndex("Full_Name"), 1u);
    EXPECT_FALSE(records->fieldIndex("fullname"));
    failure([&] { (void)records->value(0); }, kErrNoCurrentRecord);

    ASSERT_TRUE(records->next());
    EXPECT_EQ(records->value(0), "1");
    EXPECT_EQ(records->value("full_name"), "O'Brien; \"the\" {boss} C:\\new\\");
    EXPECT_EQ(records->value(2), std::nullopt);
    EXPECT_TRUE(records->isNull(2));
    failure([&] { (void)records->value("missing"); }, kErrItemNotFound);
    failure([&] { (void)records->value(3); }, kErrItemNotFound);
    ASSERT_TRUE(records->next());
    EXPECT_EQ(records->text(1), "Zo\xC3\xAB M\xC3\xBCller \xE2\x80\x93 \xE6\x9D\xB1\xE4\xBA\xAC");
    EXPECT_EQ(records->value(2), "y");  // empty text and null stay apart
    ASSERT_TRUE(records->next());
    EXPECT_EQ(records->value("FULL_NAME"), std::nullopt);
    EXPECT_FALSE(records->next());
    EXPECT_FALSE(records->next());
    failure([&] { (void)records->value(0); }, kErrNoCurrentRecord);

    EXPECT_EQ(rows("SELECT count(*) FROM people WHERE note = ''").at(0).at(0), "0");
    EXPECT_TRUE(connection->providerErrors().empty());
}

TEST_P(DbContract, ReadsLongResultsInOrderWithoutCuttingValues) {
    connection->execute("CREATE TABLE long_rows (n integer, short_text varchar(10), long_text text, "
                        "data " + m_backend->blobType() + ")");
    // Values past every buffer size the reader starts with, among short ones and nulls.
    auto longText = [](int n) {
        std::string text;
        for (int i = 0; text.size() < static_cast<std::size_t>(n % 7 == 0 ? 9000 + n : n % 50); ++i) {
            text += i % 10 == 0 ? "\xC3\xA9" : std::to_string(i % 10);
        }
        return text;
    };
    auto bytes = [](int n) {
        Bytes data(static_cast<std::size_t>(n % 11 == 0 ? 3000 : n % 5));
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>((n + i) % 256);
        return data;
    };
    constexpr int kRows = 2500;
    {
        Transaction transaction(*connection);
        auto insert = connection->prepare("INSERT INTO long_rows VALUES (?, ?, ?, ?)");
        for (int n = 0; n < kRows; ++n) {
            Value shortText = n % 13 == 0 ? Value{} : Value{"r" + std::to_string(n)};
            insert->execute({std::int64_t{n}, shortText, longText(n), bytes(n)});
        }
        transaction.commit();
    }
    auto records = connection->query("SELECT n, short_text, long_text, data FROM long_rows ORDER BY n");
    int n = 0;
    for (; records->next(); ++n) {
        ASSERT_EQ(records->value(0), std::to_string(n));
        if (n % 13 == 0) {
            ASSERT_FALSE(records->value(1));
        } else {
            ASSERT_EQ(records->value(1), "r" + std::to_string(n));
        }
        ASSERT_EQ(records->value(2), longText(n)) << "row " << n;
        Bytes expected = bytes(n);
        ASSERT_EQ(records->text(3), std::string(expected.begin(), expected.end())) << "row " << n;
    }
    EXPECT_EQ(n, kRows);
}

TEST_P(DbContract, PreparedStatementsBindEveryKindOfValue) {
    connection->execute("CREATE TABLE kinds (i bigint, r double precision, t varchar(50), b " +
                        m_backend->blobType() + ")");
    auto insert = connection->prepare("INSERT INTO kinds (i, r, t, b) VALUES (?, ?, ?, ?)");
    EXPECT_EQ(insert->execute({std::int64_t{1} << 40, 2.5, std::string("it's \xE2\x82\xAC"),
                               Bytes{0, 1, 254, 255}}),
              1);
    EXPECT_EQ(insert->execute({Value{}, Value{}, Value{}, Value{}}), 1);
    EXPECT_EQ(insert->execute({std::int64_t{-7}, -0.125, std::string(), Bytes{}}), 1);
    failure([&] { insert->execute({std::int64_t{1}}); }, kErrCommandText);

    auto select = connection->prepare("SELECT i, r, t, b FROM kinds WHERE i = ? OR t = ? ORDER BY i");
    auto first = select->query({std::int64_t{1} << 40, std::string("none")});
    ASSERT_TRUE(first->next());
    EXPECT_EQ(first->value(0), "1099511627776");
    EXPECT_EQ(std::stod(first->value(1).value()), 2.5);
    EXPECT_EQ(first->value(2), "it's \xE2\x82\xAC");
    EXPECT_EQ(first->value(3), std::string("\x00\x01\xFE\xFF", 4));
    EXPECT_FALSE(first->next());

    // Running the statement again closes the record set of the previous run.
    auto second = select->query({std::int64_t{-7}, std::string("it's \xE2\x82\xAC")});
    failure([&] { first->next(); }, kErrObjectClosed);
    std::vector<std::string> found;
    while (second->next()) found.push_back(second->value(0).value_or("null"));
    EXPECT_EQ(found, (std::vector<std::string>{"-7", "1099511627776"}));
    EXPECT_EQ(rows("SELECT count(*) FROM kinds WHERE i IS NULL AND t IS NULL AND b IS NULL")[0][0], "1");
    EXPECT_EQ(rows("SELECT t FROM kinds WHERE i = -7")[0][0], "");
}

TEST_P(DbContract, TransactionGuardRollsBackUnlessCommitted) {
    connection->execute("CREATE TABLE ledger (n integer)");
    {
        Transaction transaction(*connection);
        connection->execute("INSERT INTO ledger VALUES (1)");
        EXPECT_TRUE(connection->inTransaction());
        failure([&] { connection->beginTransaction(); }, kErrGeneralFailure);
    }
    EXPECT_FALSE(connection->inTransaction());
    EXPECT_EQ(rows("SELECT count(*) FROM ledger")[0][0], "0");
    try {
        Transaction transaction(*connection);
        connection->execute("INSERT INTO ledger VALUES (2)");
        connection->execute("INSERT INTO no_such_table VALUES (3)");
        transaction.commit();
    } catch (const DbError&) {
    }
    EXPECT_EQ(rows("SELECT count(*) FROM ledger")[0][0], "0");
    {
        Transaction transaction(*connection);
        connection->execute("INSERT INTO ledger VALUES (4)");
        transaction.commit();
    }
    EXPECT_EQ(rows("SELECT n FROM ledger")[0][0], "4");
    failure([&] { connection->commit(); }, kErrGeneralFailure);
}

TEST_P(DbContract, LastInsertIdIsTheNewRowsIdentity) {
    connection->execute("CREATE TABLE tickets (id " + m_backend->identityColumn() + ", title varchar(20))");
    connection->execute("INSERT INTO tickets (title) VALUES ('first')");
    connection->execute("INSERT INTO tickets (title) VALUES ('second')");
    std::int64_t id = connection->lastInsertId();
    EXPECT_EQ(rows("SELECT title FROM tickets WHERE id = " + std::to_string(id))[0][0], "second");
    auto insert = connection->prepare("INSERT INTO tickets (title) VALUES (?)");
    insert->execute({std::string("third")});
    EXPECT_EQ(connection->lastInsertId(), id + 1);
}

TEST_P(DbContract, SchemaRowsetsTellTablesViewsAndColumnsApart) {
    connection->execute("CREATE TABLE order_line (line_no integer NOT NULL, item varchar(30), qty integer)");
    connection->execute("CREATE TABLE orderxline (other integer)");
    connection->execute("CREATE VIEW open_lines AS SELECT line_no, item FROM order_line");

    auto tables = connection->tables(ObjectType::Table);
    std::sort(tables.begin(), tables.end());
    EXPECT_EQ(tables, (std::vector<std::string>{"order_line", "orderxline"}));
    EXPECT_EQ(connection->tables(ObjectType::View), std::vector<std::string>{"open_lines"});

    // '_' is a wildcard in catalog patterns: orderxline must not leak into order_line.
    auto columns = connection->columns("order_line");
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].name, "line_no");
    EXPECT_FALSE(columns[0].nullable);
    EXPECT_EQ(columns[0].adoType, ado::kInteger);
    EXPECT_EQ(columns[1].name, "item");
    EXPECT_TRUE(columns[1].nullable);
    EXPECT_EQ(columns[1].adoType, ado::kVarChar);
    EXPECT_EQ(columns[1].definedSize, 30);
    EXPECT_EQ(columns[2].name, "qty");
    EXPECT_EQ(connection->columns("open_lines").size(), 2u);
    EXPECT_TRUE(connection->columns("no_such_table").empty());
}

TEST_P(DbContract, TypeCodesFollowTheColumnsDeclaredTypes) {
    std::string create = "CREATE TABLE typed (";
    auto cases = m_backend->typeCases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        create += (i ? ", c" : "c") + std::to_string(i) + " " + cases[i].declared;
    }
    connection->execute(create + ")");
    auto columns = connection->columns("typed");
    auto records = connection->query("SELECT * FROM typed");
    ASSERT_EQ(columns.size(), cases.size());
    ASSERT_EQ(records->fieldCount(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].declared);
        EXPECT_EQ(columns[i].adoType, cases[i].adoType);
        EXPECT_EQ(records->field(i).adoType, cases[i].adoType);
        if (cases[i].definedSize) {
            EXPECT_EQ(columns[i].definedSize, cases[i].definedSize);
            EXPECT_EQ(records->field(i).definedSize, cases[i].definedSize);
        }
        if (cases[i].adoType == ado::kNumeric) {
            EXPECT_EQ(records->field(i).precision, 10);
            EXPECT_EQ(records->field(i).numericScale, 2);
        }
    }
}

TEST_P(DbContract, FailuresCarryTheirCodeDiagnosticsAndStatement) {
    connection->execute("CREATE TABLE keyed (id integer PRIMARY KEY, name varchar(10))");
    connection->execute("INSERT INTO keyed VALUES (1, 'a')");

    DbError syntax = failure([&] { connection->execute("SELEC nothing FROM keyed"); }, kErrCommandText);
    EXPECT_EQ(syntax.statement(), "SELEC nothing FROM keyed");
    ASSERT_FALSE(connection->providerErrors().empty());
    EXPECT_EQ(connection->providerErrors().size(), syntax.records().size());
    EXPECT_EQ(connection->providerErrors()[0].message, syntax.records()[0].message);
    EXPECT_NE(std::string(syntax.what()).find(syntax.records()[0].message), std::string::npos);

    failure([&] { connection->query("SELECT no_such_column FROM keyed"); }, kErrCommandText);
    failure([&] { connection->query("SELECT * FROM no_such_table"); }, kErrNoSuchTable);
    failure([&] { connection->execute("DROP TABLE no_such_table"); }, kErrNoSuchTable);
    DbError duplicate = failure([&] { connection->execute("INSERT INTO keyed VALUES (1, 'b')"); },
                                kErrIntegrityViolation);
    EXPECT_FALSE(duplicate.records().empty());
    failure([&] { connection->prepare("INSERT INTO keyed VALUES (?, ?)")->execute({std::int64_t{1}, Value{}}); },
            kErrIntegrityViolation);

    // The list holds the last failure only until a call succeeds.
    EXPECT_EQ(rows("SELECT name FROM keyed")[0][0], "a");
    EXPECT_TRUE(connection->providerErrors().empty());
    EXPECT_TRUE(connection->isOpen());
}

TEST_P(DbContract, ClosedConnectionAndStaleRecordsetsRefuseWork) {
    connection->execute("CREATE TABLE t (n integer)");
    connection->execute("INSERT INTO t VALUES (1), (2)");
    auto records = connection->query("SELECT n FROM t");
    ASSERT_TRUE(records->next());
    auto statement = connection->prepare("SELECT n FROM t");
    failure([&] { connection->open(m_connectionString); }, kErrObjectOpen);

    connection->close();
    EXPECT_FALSE(connection->isOpen());
    failure([&] { connection->execute("INSERT INTO t VALUES (3)"); }, kErrConnectionNotUsable);
    failure([&] { connection->query("SELECT n FROM t"); }, kErrConnectionNotUsable);
    failure([&] { connection->tables(ObjectType::Table); }, kErrConnectionNotUsable);
    failure([&] { statement->query({}); }, kErrConnectionNotUsable);
    failure([&] { records->next(); }, kErrObjectClosed);
    records.reset();
    statement.reset();

    connection->open(m_connectionString);
    EXPECT_EQ(rows("SELECT count(*) FROM t")[0][0], "2");
}

TEST_P(DbContract, StatementsPastTheCommandTimeoutOrCancelledStop) {
    using Clock = std::chrono::steady_clock;
    connection->setCommandTimeout(1);
    EXPECT_EQ(connection->commandTimeout(), 1);
    auto started = Clock::now();
    DbError timeout = failure([&] { rows(m_backend->slowQuery()); }, kErrTimeout);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(8));

    connection->setCommandTimeout(0);
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        connection->cancel();
    });
    started = Clock::now();
    failure([&] { rows(m_backend->slowQuery()); }, kErrCanceled);
    canceller.join();
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(8));
    EXPECT_EQ(rows("SELECT 1")[0][0], "1");
}

TEST_P(DbContract, SourceDialectStatementsRunOnTheDatabase) {
    auto dialect = sourceDialectOf(*connection);
    std::string table = dialect->quoteIdentifier("odd \"name] `x`");
    std::string first = dialect->quoteIdentifier("first name");
    connection->execute("CREATE TABLE " + table + " (id integer, " + first + " varchar(20), last varchar(20))");
    connection->execute("INSERT INTO " + table + " VALUES (1, 'Ada', 'Lovelace'), (2, NULL, 'Hopper'), "
                        "(3, 'Alan', 'Turing')");
    auto result = rows(dialect->selectTop(
        2, dialect->concat({first, "' '", "last"}) + ", " + dialect->isNull(first, "'?'") +
               " FROM " + table + " ORDER BY id"));
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0][0], "Ada Lovelace");
    EXPECT_EQ(result[1][0], std::nullopt);  // null in a concatenation stays null, as on SQL Server
    EXPECT_EQ(result[1][1], "?");
}

std::vector<BackendKind> nativeBackends() {
    return {{"native", [](std::string&) { return std::make_unique<SqliteNative>(); }}};
}

std::vector<BackendKind> odbcBackends() {
    return {
        {"sqlite",
         [](std::string& whyNot) -> std::unique_ptr<Backend> {
             auto driver = test::odbcDriverPath("libsqlite3odbc.so");
             if (!driver) {
                 whyNot = "the SQLite ODBC driver (libsqlite3odbc.so) is not installed";
                 return nullptr;
             }
             return std::make_unique<SqliteOdbc>(*driver);
         }},
        {"postgres",
         [](std::string& whyNot) -> std::unique_ptr<Backend> {
             static const PgServer server;
             if (!server.available()) {
                 whyNot = server.whyNot();
                 return nullptr;
             }
             return std::make_unique<Postgres>(server);
         }},
        {"mariadb",
         [](std::string& whyNot) -> std::unique_ptr<Backend> {
             static const MyServer server;
             if (!server.available()) {
                 whyNot = server.whyNot();
                 return nullptr;
             }
             return std::make_unique<MariaDb>(server);
         }},
    };
}

INSTANTIATE_TEST_SUITE_P(DbSqlite, DbContract, testing::ValuesIn(nativeBackends()), printName);
INSTANTIATE_TEST_SUITE_P(Odbc, DbContract, testing::ValuesIn(odbcBackends()), printName);

}  // namespace
}  // namespace koru::db
