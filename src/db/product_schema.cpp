#include "db/product_schema.h"

#include <sqlite3.h>

#include "db/connection_string.h"
#include "db/sqlite_connection.h"

namespace koru::db {
namespace {

std::string text(const std::string& name, int width) {
    return "[" + name + "] nvarchar(" + std::to_string(width) + ") NULL COLLATE NOCASE CHECK (length([" + name +
           "]) <= " + std::to_string(width) + ")";
}

std::string numbered(const std::string& prefix, int count, const std::string& type) {
    std::string columns;
    for (int i = 1; i <= count; ++i) columns += ", [" + prefix + std::to_string(i) + "] " + type;
    return columns;
}

std::string numberedText(const std::string& prefix, int count, int width) {
    std::string columns;
    for (int i = 1; i <= count; ++i) columns += ", " + text(prefix + std::to_string(i), width);
    return columns;
}

// A mandatory flag per label column: Alpha1Req, Num3Req, ...
std::string requiredFlags(const std::string& prefix, int count) {
    std::string columns;
    for (int i = 1; i <= count; ++i) columns += ", [" + prefix + std::to_string(i) + "Req] bit NOT NULL DEFAULT 0";
    return columns;
}

const std::string kIdentity = "[ID] INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL";
// SQL Server's current_timestamp is the server's local time.
const std::string kNow = "datetime('now', 'localtime')";

std::string historyTrigger(const std::string& table, const std::string& history, const std::string& columns,
                           const std::string& values) {
    return "CREATE TRIGGER [" + table + "_History] AFTER UPDATE ON [" + table + "] WHEN " +
           "(SELECT [enabled] FROM [koru_trigger_switch] WHERE [table_name] = '" + table + "') = 1 BEGIN " +
           "INSERT INTO [" + history + "] (" + columns + ") VALUES (" + values + "); END";
}

}  // namespace

std::vector<std::string> sqliteProductSchema(Product product) {
    std::vector<std::string> schema = {
        "CREATE TABLE [koru_trigger_switch] ([table_name] text PRIMARY KEY COLLATE NOCASE, "
        "[enabled] int NOT NULL DEFAULT 1)",

        "CREATE TABLE [CIID] (" + kIdentity + ", [Parent] int NOT NULL DEFAULT 0, [StyleID] int NULL, " +
            "[SLAProvider] bit NOT NULL DEFAULT 0, [slaid] int NOT NULL DEFAULT 0" + numberedText("Alpha", 15, 50) +
            numberedText("Num", 10, 35) + ", " + text("EmailID", 200) + ", " + text("WebID", 100) +
            ", [Notes] ntext NULL COLLATE NOCASE)",
        "CREATE INDEX [IX_CIID_Parent] ON [CIID] ([Parent])",
        "CREATE TABLE [CIIDHistory] (" + kIdentity + ", [CIIDID] int NOT NULL, [Parent] int NULL, " +
            "[Date] datetime NULL, [Time] datetime NULL, " + text("Username", 50) + ")",
        "INSERT INTO [koru_trigger_switch] ([table_name], [enabled]) VALUES ('CIID', 1)",
        historyTrigger("CIID", "CIIDHistory", "[CIIDID], [Parent], [Date], [Time], [Username]",
                       "NEW.[ID], NEW.[Parent], " + kNow + ", " + kNow + ", 'PRODUCT'"),

        "CREATE TABLE [Style] (" + kIdentity + ", " + text("Specstyle", 50) + ", [DisplayID] int NULL" +
            numberedText("Alpha", 15, 50) + numberedText("Num", 10, 50) + requiredFlags("Alpha", 15) +
            requiredFlags("Num", 10) + ")",

        "CREATE TABLE [KNOWLEDGE] (" + kIdentity + ", [Definition] ntext NULL COLLATE NOCASE, " +
            "[Resolution] ntext NULL COLLATE NOCASE, " + text("Keywords", 255) + ", [CategoriesID] int NULL)",
        "CREATE TABLE [categories] (" + kIdentity + ", [Parent] int NOT NULL DEFAULT 0, " +
            text("Description", 100) + ")",

        "CREATE TABLE [VISITING] (" + kIdentity + ", [StartDate] datetime NULL, " + text("Status", 10) +
            ", [CIIDID] int NULL, " + text("TrackUser", 50) + ")",
        "CREATE TABLE [WebCount] (" + text("userID", 50) + ", " + text("IP", 50) + ", [DateTime] datetime NULL)",

        "CREATE TABLE [Request] (" + kIdentity + ", " + text("Summary", 255) + ")",
        "CREATE TABLE [Ties] ([RQID] int NOT NULL, [CIID] int NOT NULL)",
        "CREATE TABLE [RequestLog] (" + kIdentity + ", [RequestID] int NOT NULL)",
        "CREATE TABLE [RequestAction] (" + kIdentity + ", [RequestID] int NOT NULL)",
        "CREATE TABLE [RequestActivity] (" + kIdentity + ", [RequestID] int NOT NULL)",
        "CREATE TABLE [attach] (" + kIdentity + ", [Rqid] int NOT NULL)",
        "CREATE TABLE [UdfVals] (" + kIdentity + ", [Rqid] int NOT NULL)",
    };
    if (product == Product::Ledgora) {
        std::vector<std::string> asset = {
            "CREATE TABLE [AssetCIID] (" + kIdentity + ", [CIIDID] int NOT NULL, " + text("AssetID", 50) +
                ", [StyleID] int NULL, " + text("UserName", 50) +
                ", [ManualTrackingFlag] bit NULL, [UseMaintain] bit NULL, [Leased] bit NULL, " +
                text("CostCentre", 50) + ", " + text("Location", 50) +
                ", [OriginalPrice] money NULL, [SalvagePrice] money NULL, [AcquireDate] datetime NULL, "
                "[DepPeriod] int NULL" +
                numberedText("Alpha", 5, 50) + numberedText("Num", 5, 20) + numbered("Date", 5, "datetime NULL") +
                numbered("Curr", 5, "money NULL") +
                ", [UseValue] bit NULL, [UseDep] bit NULL, [DepType] int NULL)",
            "CREATE INDEX [IX_AssetCIID_CIIDID] ON [AssetCIID] ([CIIDID])",
            "CREATE TABLE [AssetMaintain] (" + kIdentity + ", [CIIDID] int NOT NULL, " + text("Notes", 255) + ")",
            "CREATE TABLE [AssetCIIDHistory] (" + kIdentity + ", [CIIDID] int NOT NULL, [Date] datetime NULL, " +
                "[Time] datetime NULL, " + text("Username", 50) + ")",
            "CREATE TABLE [AssetMaintainHistory] (" + kIdentity + ", [CIIDID] int NOT NULL, " +
                "[Date] datetime NULL, [Time] datetime NULL, " + text("Username", 50) + ")",
            "CREATE TABLE [AssetAttach] (" + kIdentity + ", [CIIDID] int NOT NULL)",
            "CREATE TABLE [AssetStyle] ([StyleID] int PRIMARY KEY NOT NULL, " + text("Specstyle", 50) + ", " +
                text("Location", 50) + ", " + text("CustomF1", 50) + ", " + text("CustomF2", 50) +
                numberedText("Alpha", 5, 50) + numberedText("Num", 5, 50) + numberedText("Date", 5, 50) +
                numberedText("Curr", 5, 50) + requiredFlags("Alpha", 5) + requiredFlags("Num", 5) +
                requiredFlags("Date", 5) + requiredFlags("Curr", 5) + ")",
            "CREATE TABLE [ExtApps] ([appID] INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, " +
                text("appDescription", 100) + ", " + text("ConnectionString", 255) + ")",
            "CREATE TABLE [ExtLinks] (" + kIdentity + ", [CIID] int NOT NULL, [AppID] int NOT NULL, " +
                text("LinkID", 50) + ")",
            "INSERT INTO [koru_trigger_switch] ([table_name], [enabled]) VALUES ('AssetCIID', 1)",
            "INSERT INTO [koru_trigger_switch] ([table_name], [enabled]) VALUES ('AssetMaintain', 1)",
            historyTrigger("AssetCIID", "AssetCIIDHistory", "[CIIDID], [Date], [Time], [Username]",
                           "NEW.[CIIDID], " + kNow + ", " + kNow + ", 'PRODUCT'"),
            historyTrigger("AssetMaintain", "AssetMaintainHistory", "[CIIDID], [Date], [Time], [Username]",
                           "NEW.[CIIDID], " + kNow + ", " + kNow + ", 'PRODUCT'"),
        };
        schema.insert(schema.end(), asset.begin(), asset.end());
    }
    return schema;
}

void createProductSchema(Connection& destination, Product product) {
    for (const std::string& statement : sqliteProductSchema(product)) destination.execute(statement);
}

void addDemoContent(Connection& destination, Product product) {
    const std::vector<std::string> content = {
        "INSERT INTO [Style] ([Specstyle], [DisplayID], [Alpha1], [Alpha2], [Alpha3], [Num1], [Alpha1Req]) "
        "VALUES ('Company', 1, 'Company Name', 'Address', 'Phone', 'Account No', 1)",
        "INSERT INTO [Style] ([Specstyle], [DisplayID], [Alpha1], [Alpha2], [Alpha3], [Alpha1Req]) "
        "VALUES ('Department', 2, 'Department', 'Floor', 'Manager', 1)",
        "INSERT INTO [Style] ([Specstyle], [DisplayID], [Alpha1], [Alpha2], [Alpha3], [Num1], [Alpha1Req]) "
        "VALUES ('Contact', 3, 'Full Name', 'Job Title', 'Extension', 'Staff No', 1)",
        "INSERT INTO [Style] ([Specstyle], [DisplayID], [Alpha1], [Alpha2], [Num1]) "
        "VALUES ('PC', 4, 'Machine Name', 'Serial Number', 'Memory MB')",
        "INSERT INTO [Style] ([Specstyle], [DisplayID], [Alpha1]) VALUES ('REQUEST', 5, 'Request')",
        "INSERT INTO [categories] ([Parent], [Description]) VALUES (0, 'Hardware')",
        "INSERT INTO [categories] ([Parent], [Description]) VALUES (0, 'Software')",
        "INSERT INTO [categories] ([Parent], [Description]) VALUES (1, 'Printers')",
        "INSERT INTO [categories] ([Parent], [Description]) VALUES (2, 'Office Suites')",
        "INSERT INTO [CIID] ([Parent], [StyleID], [Alpha1], [Alpha2]) VALUES (0, 1, 'Veltrane Ltd', '1 High Street')",
        "INSERT INTO [CIID] ([Parent], [StyleID], [Alpha1], [Alpha2]) VALUES (1, 2, 'Help Desk', 'Ground')",
        "INSERT INTO [CIID] ([Parent], [StyleID], [Alpha1], [Alpha2]) VALUES (2, 3, 'Ann Admin', 'Administrator')",
    };
    for (const std::string& statement : content) destination.execute(statement);
    if (product == Product::Ledgora) {
        const std::vector<std::string> asset = {
            "INSERT INTO [AssetStyle] ([StyleID], [Specstyle], [Location], [Alpha1], [Num1], [Date1], [Curr1]) "
            "VALUES (4, 'PC', 'Location', 'Make', 'Processor MHz', 'Warranty Ends', 'Book Value')",
            "INSERT INTO [ExtApps] ([appDescription], [ConnectionString]) "
            "VALUES ('Network Discovery', 'DSN=Discovery')",
            "INSERT INTO [ExtApps] ([appDescription], [ConnectionString]) "
            "VALUES ('Software Audit', 'DSN=Audit')",
        };
        for (const std::string& statement : asset) destination.execute(statement);
    }
}

std::string embeddedDestinationString(const std::filesystem::path& folder, const std::string& database) {
    return "Provider=SQLOLEDB.1;Data Source=" + quotedConnectionValue("sqlite:" + folder.string()) +
           ";Initial Catalog=" + database;
}

void createProductDatabase(const std::filesystem::path& folder, const std::string& database, Product product,
                           bool withDemoContent) {
    std::filesystem::path file = folder / (database + ".db");
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        throw DbError(kErrGeneralFailure, "the database " + file.string() + " exists already");
    }
    std::filesystem::create_directories(folder, ec);
    sqlite3* created = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &created, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string message = created ? sqlite3_errmsg(created) : "out of memory";
    sqlite3_close(created);
    if (rc != SQLITE_OK) throw DbError(kErrGeneralFailure, "cannot create " + file.string() + ": " + message);

    SqliteConnection destination;
    destination.open(embeddedDestinationString(folder, database));
    Transaction transaction(destination);
    createProductSchema(destination, product);
    if (withDemoContent) addDemoContent(destination, product);
    transaction.commit();
}

}  // namespace koru::db
