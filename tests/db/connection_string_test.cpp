#include "db/connection_string.h"

#include <gtest/gtest.h>

#include "db/db_error.h"

namespace koru::db {
namespace {

class FakeCatalog : public OdbcDriverCatalog {
public:
    std::vector<std::string> drivers = {"PostgreSQL Unicode", "SQLite3", "FreeTDS"};
    std::optional<std::string> mssqlOverride;

    std::vector<std::string> installedDrivers() const override { return drivers; }
    std::string driverOfDsn(const std::string& dsn) const override {
        return dsn == "pgdsn" ? "PostgreSQL Unicode" : "";
    }
    std::optional<std::string> mssqlDriverOverride() const override { return mssqlOverride; }
    std::vector<std::string> freeTdsServers() const override { return servers; }
    std::vector<std::string> servers;
};

TEST(DbConnectionString, ParsesQuotedValuesAndKeysOfAnyCase) {
    auto parsed = ConnectionString::parse(
        " Provider = SQLOLEDB.1 ;password='it''s; \"x\"';User ID=\"a \"\"b\"\"\";"
        ";Driver={Odbc }} Driver};Empty=;Spaced =  two words  ");
    EXPECT_EQ(parsed.get("PROVIDER"), "SQLOLEDB.1");
    EXPECT_EQ(parsed.get("Password"), "it's; \"x\"");
    EXPECT_EQ(parsed.get("user id"), "a \"b\"");
    EXPECT_EQ(parsed.get("driver"), "Odbc } Driver");
    EXPECT_EQ(parsed.get("empty"), "");
    EXPECT_EQ(parsed.get("spaced"), "two words");
    EXPECT_FALSE(parsed.has("Data Source"));
    EXPECT_EQ(parsed.items().size(), 6u);
}

TEST(DbConnectionString, MalformedStringsAreRefusedNamingTheProblemButNeverTheValue) {
    struct Case {
        std::string text;
        std::string named;
    };
    const Case cases[] = {
        {"Provider=SQLOLEDB;Password='secret123;Data Source=h", "Password"},
        {"Provider=SQLOLEDB;Password=\"secret123", "Password"},
        {"Driver={secret123;Server=h", "Driver"},
        {"Provider=SQLite;Data Source='a.db'secret123", "Data Source"},
        {"Provider=SQLite;Password=x;secret123", "Password"},
        {"=secret123", "no key"},
    };
    for (const Case& c : cases) {
        try {
            ConnectionString::parse(c.text);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const DbError& error) {
            std::string message = error.what();
            EXPECT_EQ(error.code(), kErrGeneralFailure);
            EXPECT_NE(message.find(c.named), std::string::npos) << message;
            EXPECT_EQ(message.find("secret123"), std::string::npos) << message;
        }
    }
}

// Inputs the fuzz test found: each showed the password somewhere.
TEST(DbConnectionString, APasswordIsNeitherMaskedAwayFromNorShownInAMessage) {
    for (const char* text : {"Provider=X;\r\nPassword='secret123'",
                             "Provider=MSDASQL;Extended Properties=\"DSN=pg;PWD='secret123'\"",
                             "Provider=MSDASQL;Extended Properties=PWD=secret123"}) {
        std::string masked = maskPasswords(text);
        EXPECT_EQ(masked.find("secret123"), std::string::npos) << masked;
        EXPECT_EQ(ConnectionString::parse(masked).items().size(), ConnectionString::parse(text).items().size());
    }
    FakeCatalog catalog;
    for (const std::string& text : {std::string("Provider={x;PWD=secret123}"),
                                    std::string("Provider=SQLOLEDB;PassWord{secret123='}"),
                                    std::string("Provider=SQLite;Data Source=a.db\0;PWD=secret123", 47)}) {
        try {
            translateConnectionString(text, catalog);
            ADD_FAILURE() << "translated " << text;
        } catch (const DbError& error) {
            EXPECT_EQ(std::string(error.what()).find("secret123"), std::string::npos) << error.what();
        }
    }
}

TEST(DbConnectionString, OdbcValuesAreBracedWhenTheyHoldSeparators) {
    ConnectionString odbc;
    odbc.set("Driver", "PostgreSQL Unicode");
    odbc.set("PWD", "p;w}d=1");
    odbc.set("UID", "plain");
    odbc.set("Note", " padded ");
    odbc.set("Open", "{x");
    EXPECT_EQ(odbc.toOdbc(), "Driver={PostgreSQL Unicode};PWD={p;w}}d=1};UID=plain;Note={ padded };Open={{x}");
    // And the ODBC form reads back to the same values.
    auto reread = ConnectionString::parse(odbc.toOdbc());
    EXPECT_EQ(reread.get("PWD"), "p;w}d=1");
    EXPECT_EQ(reread.get("Open"), "{x");
}

struct Translation {
    std::string text;
    OpenTarget::Kind kind;
    std::string expected;  // the file, or the ODBC string
};

TEST(DbConnectionString, TranslatesEachProviderForItsClientLibrary) {
    using Kind = OpenTarget::Kind;
    const Translation table[] = {
        {"Provider=SQLite;Data Source=/data/source.db", Kind::SqliteFile, "/data/source.db"},
        {"provider=sqlite;data source=\"data\\sub\\source.db\"", Kind::SqliteFile, "data/sub/source.db"},
        {"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=pw;"
         "Initial Catalog=Tickora;Data Source='sqlite:/srv/koru'",
         Kind::EmbeddedDestination, "/srv/koru/Tickora.db"},
        {"Provider=SQLOLEDB;Data Source=\"SQLITE:C:\\koru\\dbs\";Initial Catalog=Ledgora",
         Kind::EmbeddedDestination, "C:/koru/dbs/Ledgora.db"},
        {"Provider=SQLOLEDB.1;Data Source=dbhost,1433;Initial Catalog=Tickora;User ID=sa;"
         "Password='p;w}d=1';Application Name=KORU",
         Kind::Odbc,
         "Driver={FreeTDS};Server=dbhost;Port=1433;Database=Tickora;UID=sa;PWD={p;w}}d=1};APP=KORU;"
         "ClientCharset=UTF-8"},
        {"Provider=SQLNCLI11;Data Source=dbhost\\TICKORA;Initial Catalog=Tickora;"
         "Integrated Security=SSPI;User ID=ignored",
         Kind::Odbc, "Driver={FreeTDS};Server=dbhost\\TICKORA;Database=Tickora;Trusted_Connection=yes;"
                     "ClientCharset=UTF-8"},
        {"Provider=MSDASQL.1;Persist Security Info=False;Data Source=pgdsn;User ID=u;Password=p",
         Kind::Odbc, "DSN=pgdsn;UID=u;PWD=p;UseDeclareFetch=1"},
        {"Provider=MSDASQL;Extended Properties=\"DSN=pgdsn;UID=u;PWD={a;b}\"", Kind::Odbc,
         "DSN=pgdsn;UID=u;PWD={a;b};UseDeclareFetch=1"},
        {"Driver={PostgreSQL Unicode};Server=h;UseDeclareFetch=0", Kind::Odbc,
         "Driver={PostgreSQL Unicode};Server=h;UseDeclareFetch=0"},
        {"Driver=/usr/lib/odbc/libsqlite3odbc.so;Database=/d/s.db;NoCreat=0", Kind::Odbc,
         "Driver={/usr/lib/odbc/libsqlite3odbc.so};Database=/d/s.db;NoCreat=1;StepAPI=1"},
        {"DSN=elsewhere;UID=u", Kind::Odbc, "DSN=elsewhere;UID=u"},
        // With a driver, Data Source is its file or server; names users write find the driver.
        {"Driver={SQLite};Data Source=/d/s.db", Kind::Odbc, "Driver={SQLite3};Database=/d/s.db;StepAPI=1;NoCreat=1"},
        {"Driver={PostgreSQL};Data Source=h;Database=db", Kind::Odbc,
         "Driver={PostgreSQL Unicode};Servername=h;Database=db;UseDeclareFetch=1"},
        {"Provider=MSDASQL;Driver={freetds};Data Source=dbhost;Initial Catalog=T", Kind::Odbc,
         "Driver={FreeTDS};Server=dbhost;Database=T;ClientCharset=UTF-8"},
        {"Driver={MySQL};Data Source=dbhost;Port=3306;Database=sales;UID=u;PWD={a;b}", Kind::Odbc,
         "Driver={MariaDB Unicode};Server=dbhost;Port=3306;Database=sales;UID=u;PWD={a;b}"},
        {"Provider=MSDASQL;Driver={MariaDB};Server=h;Initial Catalog=s;User ID=u;Password=p", Kind::Odbc,
         "Driver={MariaDB Unicode};Server=h;Database=s;UID=u;PWD=p"},
        // Access databases, read through MDBTools, which needs no login or password.
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\data\\Sales.mdb", Kind::Odbc,
         "Driver={MDBTools};DBQ=C:/data/Sales.mdb"},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source='/srv/a;b.mdb';User ID=Admin;Password=;"
         "Jet OLEDB:Database Password='s;cret';Persist Security Info=False;Mode=Share Deny None",
         Kind::Odbc, "Driver={MDBTools};DBQ={/srv/a;b.mdb}"},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/srv/Assets.accdb;Persist Security Info=True",
         Kind::Odbc, "Driver={MDBTools};DBQ=/srv/Assets.accdb"},
        {"Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=/srv/Assets.accdb", Kind::Odbc,
         "Driver={MDBTools};DBQ=/srv/Assets.accdb"},
        {"Provider=MSDASQL;Driver={MDBTools};Data Source=/srv/Sales.mdb", Kind::Odbc,
         "Driver={MDBTools};DBQ=/srv/Sales.mdb"},
    };
    FakeCatalog catalog;
    catalog.drivers.insert(catalog.drivers.end(), {"MariaDB Unicode", "MDBTools"});
    for (const Translation& row : table) {
        SCOPED_TRACE(row.text);
        OpenTarget target = translateConnectionString(row.text, catalog);
        EXPECT_EQ(target.kind, row.kind);
        EXPECT_EQ(row.kind == Kind::Odbc ? target.odbcString : target.file.string(), row.expected);
        // The Access database is checked before MDBTools, which refuses a missing file silently.
        if (target.driver == DriverFamily::Access) {
            EXPECT_EQ(target.file.string(), ConnectionString::parse(target.odbcString).get("DBQ"));
        }
    }
}

TEST(DbConnectionString, TextAndDbfStringsNameTheirFilesAndHowToReadThem) {
    using Kind = OpenTarget::Kind;
    using Encoding = TextEncoding;
    struct Case {
        std::string text;
        Kind kind;
        std::string file;
        std::optional<bool> header;
        std::optional<char> delimiter;
        std::optional<Encoding> encoding;
        bool jetNames;
    };
    const Case cases[] = {
        {"Provider=Text;Data Source=/data/csv", Kind::TextFiles, "/data/csv", {}, {}, {}, false},
        {"Provider=text;Data Source='C:\\exports\\a.csv';HDR=No;Delimiter=Tab;Encoding=windows-1252", Kind::TextFiles,
         "C:/exports/a.csv", false, '\t', Encoding::Windows1252, false},
        {"Provider=Text;Data Source=a.txt;HDR=yes;Delimiter=|;Encoding=UTF8", Kind::TextFiles, "a.txt", true, '|',
         Encoding::Utf8, false},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\exports\\;"
         "Extended Properties=\"text;HDR=Yes;FMT=Delimited\"",
         Kind::TextFiles, "C:/exports/", true, {}, {}, true},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/x;Extended Properties='Text;HDR=NO;FMT=Delimited(;);"
         "CharacterSet=65001'",
         Kind::TextFiles, "/x", false, ';', Encoding::Utf8, true},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/x;Extended Properties=\"text;FMT=TabDelimited\"",
         Kind::TextFiles, "/x", {}, '\t', {}, true},
        {"Provider=DBF;Data Source=/data/dbf/CUSTOMER.DBF;Encoding=Windows-1252", Kind::DbfFiles,
         "/data/dbf/CUSTOMER.DBF", {}, {}, Encoding::Windows1252, false},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/data/dbf;Extended Properties=dBASE IV;User ID=Admin",
         Kind::DbfFiles, "/data/dbf", {}, {}, {}, false},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/data/dbf;Extended Properties=\"dBASE 5.0\"", Kind::DbfFiles,
         "/data/dbf", {}, {}, {}, false},
    };
    FakeCatalog catalog;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        OpenTarget target = translateConnectionString(c.text, catalog);
        EXPECT_EQ(target.kind, c.kind);
        EXPECT_EQ(target.file.string(), c.file);
        EXPECT_EQ(target.flatFile.header, c.header);
        EXPECT_EQ(target.flatFile.delimiter, c.delimiter);
        EXPECT_EQ(target.flatFile.encoding, c.encoding);
        EXPECT_EQ(target.flatFile.jetTableNames, c.jetNames);
    }
    // What cannot be read is refused saying what to write instead.
    const std::pair<std::string, std::string> refused[] = {
        {"Provider=Text", "Data Source"},
        {"Provider=Text;Data Source=a.csv;HDR=Maybe", "HDR must be Yes or No"},
        {"Provider=Text;Data Source=a.csv;Delimiter=;;", "Delimiter must be one character"},
        {"Provider=Text;Data Source=a.csv;Delimiter='ab'", "Delimiter must be one character"},
        {"Provider=DBF;Data Source=a.dbf;Encoding=cp437", "Encoding must be UTF-8 or Windows-1252"},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/x;Extended Properties=\"text;FMT=FixedLength\"",
         "only delimited text files"},
    };
    for (const auto& [text, message] : refused) {
        try {
            translateConnectionString(text, catalog);
            ADD_FAILURE() << "translated " << text;
        } catch (const DbError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << text << ": " << error.what();
        }
    }
}

TEST(DbConnectionString, SqlServerDriverComesFromTheEnvironmentOrTheFirstInstalled) {
    std::string text = "Provider=SQLOLEDB;Data Source=dbhost,1433;Initial Catalog=T;User ID=sa;Password=x";
    FakeCatalog catalog;
    catalog.drivers = {"FreeTDS", "ODBC Driver 17 for SQL Server"};
    EXPECT_EQ(translateConnectionString(text, catalog).odbcString,
              "Driver={ODBC Driver 17 for SQL Server};Server=dbhost,1433;Database=T;UID=sa;PWD=x");
    catalog.mssqlOverride = "ODBC Driver 18 for SQL Server";
    OpenTarget chosen = translateConnectionString(text + ";Connect Timeout=7", catalog);
    EXPECT_EQ(chosen.odbcString, "Driver={ODBC Driver 18 for SQL Server};Server=dbhost,1433;Database=T;"
                                 "UID=sa;PWD=x;TrustServerCertificate=yes");
    EXPECT_EQ(chosen.connectTimeout, 7);
    EXPECT_EQ(chosen.driver, DriverFamily::MsSql);

    catalog.mssqlOverride.reset();
    catalog.drivers = {"PostgreSQL Unicode"};
    try {
        translateConnectionString(text, catalog);
        ADD_FAILURE() << "translated without a SQL Server driver";
    } catch (const DbError& error) {
        EXPECT_EQ(error.code(), kErrProviderNotFound);
        EXPECT_NE(std::string(error.what()).find("KORU_MSSQL_DRIVER"), std::string::npos);
    }
}

TEST(DbConnectionString, StringsThatCannotOpenAnythingAreRefusedBeforeAnyDriver) {
    FakeCatalog catalog;
    const std::pair<std::string, std::int32_t> refused[] = {
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb", kErrProviderNotFound},
        {"Provider=SQLOLEDB;Data Source='sqlite:/srv'", kErrGeneralFailure},
        {"Provider=SQLOLEDB;Data Source='sqlite:/srv';Initial Catalog=../etc/passwd", kErrGeneralFailure},
        {"Provider=SQLOLEDB;Data Source='sqlite:';Initial Catalog=T", kErrGeneralFailure},
        {"Provider=SQLOLEDB;Initial Catalog=T", kErrGeneralFailure},
        {"Provider=SQLite", kErrGeneralFailure},
        {"Provider=MSDASQL;UID=u", kErrGeneralFailure},
        {"Data Source=x.db", kErrGeneralFailure},
        {"Provider=SQLite;Data Source=x.db;Connect Timeout=soon", kErrGeneralFailure},
        {"Driver={Oracle in OraClient};DBQ=x", kErrProviderNotFound},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Persist Security Info=False", kErrGeneralFailure},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=a.xlsx;Extended Properties='Excel 12.0 Xml;HDR=YES'",
         kErrProviderNotFound},
    };
    for (const auto& [text, code] : refused) {
        try {
            translateConnectionString(text, catalog);
            ADD_FAILURE() << "translated " << text;
        } catch (const DbError& error) {
            EXPECT_EQ(error.code(), code) << text << ": " << error.what();
        }
    }
    // A driver that is not installed is refused naming those that are.
    try {
        translateConnectionString("Driver={Oracle in OraClient};DBQ=x", catalog);
    } catch (const DbError& error) {
        EXPECT_STREQ(error.what(), "The ODBC driver Oracle in OraClient is not installed. Installed drivers: "
                                   "PostgreSQL Unicode, SQLite3, FreeTDS. Name one of them in Driver={...}.");
    }
    // So is an Access database without MDBTools, the driver that reads it.
    try {
        translateConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb", catalog);
    } catch (const DbError& error) {
        EXPECT_STREQ(error.what(), "The ODBC driver MDBTools is not installed. Installed drivers: "
                                   "PostgreSQL Unicode, SQLite3, FreeTDS. Name one of them in Driver={...}.");
    }
}

TEST(DbConnectionString, DriverFamiliesAreKnownByNameOrLibrary) {
    EXPECT_EQ(driverFamilyOf("PostgreSQL Unicode"), DriverFamily::PostgreSql);
    EXPECT_EQ(driverFamilyOf("/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so"), DriverFamily::PostgreSql);
    EXPECT_EQ(driverFamilyOf("SQLite3"), DriverFamily::Sqlite);
    EXPECT_EQ(driverFamilyOf("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so"), DriverFamily::FreeTds);
    EXPECT_EQ(driverFamilyOf("ODBC Driver 18 for SQL Server"), DriverFamily::MsSql);
    EXPECT_EQ(driverFamilyOf("MariaDB ODBC 3.1 Driver"), DriverFamily::MySql);
    EXPECT_EQ(driverFamilyOf("MDBTools"), DriverFamily::Access);
    EXPECT_EQ(driverFamilyOf("Oracle 19 ODBC driver"), DriverFamily::Other);
}

TEST(DbConnectionString, AServerOfTheFreeTdsConfigurationIsPassedByItsName) {
    FakeCatalog catalog;
    catalog.drivers = {"FreeTDS"};
    catalog.servers = {"egServer73", "Sales Box"};
    std::string named = "Provider=SQLOLEDB.1;Initial Catalog=TICKORDB;Data Source='EGSERVER73';User ID='sa'";
    OpenTarget listed = translateConnectionString(named, catalog);
    EXPECT_EQ(ConnectionString::parse(listed.odbcString).get("Servername"), "EGSERVER73");
    EXPECT_FALSE(ConnectionString::parse(listed.odbcString).has("Server"));

    std::string typed = "Provider=SQLOLEDB.1;Initial Catalog=TICKORDB;Data Source='db.example';User ID='sa'";
    OpenTarget host = translateConnectionString(typed, catalog);
    EXPECT_EQ(ConnectionString::parse(host.odbcString).get("Server"), "db.example");
    EXPECT_FALSE(ConnectionString::parse(host.odbcString).has("Servername"));
}

}  // namespace
}  // namespace koru::db
