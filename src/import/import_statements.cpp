#include "import/import_statements.h"

#include "db/trigger_switch.h"

namespace koru::import {
namespace {

std::string transferColumnsMssql() {
    std::string sql = "CREATE TABLE [dbo].[XFRTransfer] ([StructureID] [int] NOT NULL , [XFRID] [nvarchar] (255) NULL , "
                      "[Parent] [nvarchar] (255) NOT NULL , ";
    for (int n = 1; n <= 10; ++n) sql += "[Num" + std::to_string(n) + "] [char] (35) NULL , ";
    for (int n = 1; n <= 15; ++n) sql += "[Alpha" + std::to_string(n) + "] [char] (35) NULL , ";
    for (int n = 1; n <= 5; ++n) {
        std::string i = std::to_string(n);
        sql += "[AAlpha" + i + "] [char] (50) NULL , " + "[ANum" + i + "] [char] (20) NULL , " + "[ADate" + i +
               "] [datetime] NULL , " + "[ACurr" + i + "] [money] NULL , ";
    }
    sql += "[AssetID] [char] (50) NULL , [CostCentre] [char] (50) NULL , [Location] [char] (50) NULL , "
           "[OriginalPrice] [money] NULL , [SalvagePrice] [money] NULL , [AcquireDate] [datetime] NULL , "
           "[DepPeriod] [int] NULL , [DToolID] [int] NULL , [DDefault] [bit] NULL , [DLinkID] [char] (50) NULL , "
           "[EmailID] [varchar] (200) NULL , [WebID] [varchar] (100) NULL , [Notes] [nvarchar] (4000) NULL , "
           "[StyleID] [int] NOT NULL , [SLAProvider] [Bit] NOT NULL , [StructureParentID] [int] NULL , "
           "[KBDetails] [nvarchar] (4000) NULL , [KBReso] [nvarchar] (4000) NULL , [KBSummary] [nvarchar] (255) "
           "NULL , [KBCatID] [int] NULL)";
    return sql;
}

class MssqlImportStatements : public ImportStatements {
public:
    std::vector<std::string> createTransferTable() const override {
        return {transferColumnsMssql(), std::string("Create Clustered") +
                                            " INDEX [XFR_Transfer_1] ON [dbo].[XFRTransfer] ([XFRID])" + "WITH" +
                                            "    FillFactor = 80" + "ON [PRIMARY]"};
    }
    std::string indexTransferTable() const override { return {}; }
    std::string createTempPTable() const override {
        return "CREATE TABLE [dbo].[XFRTempP] ([strXFRIDS] [nvarchar] (255) NULL) ON [PRIMARY]";
    }
    std::string disableTriggers(std::string_view table) const override {
        return db::disableTriggersStatement(db::DestinationDialect::Kind::Mssql, table);
    }
    std::string enableTriggers(std::string_view table) const override {
        return db::enableTriggersStatement(db::DestinationDialect::Kind::Mssql, table);
    }
    std::string triggersOff() const override { return db::triggersOffStatement(db::DestinationDialect::Kind::Mssql); }
    std::string updateParents(std::int32_t importId) const override {
        return std::string("Update ciid Set parent = xfrhash.ciidparent ") +
               "From ciid, xfrhash  Where ciid.ID = xfrhash.CiidID and xfrhash.ciidparent is not null and "
               "xfrhash.importid = " +
               std::to_string(importId);
    }
    std::vector<std::string> invalidAssetIds(std::int32_t importId) const override {
        std::string session = " and ciidid in (select ciidid from xfrhash where importid = " + std::to_string(importId) + ")";
        return {"update assetciid set assetid = 'NOT ASSIGNED' where (assetid is null or "
                "DATALENGTH(RTRIM(ltrim(assetid))) = 0)" + session,
                std::string("update assetciid set assetid = 'NOT ASSIGNED' where assetid in (Select assetid ") +
                    "From assetciid group by assetid Having Count(AssetID) > 1 and assetid <> " + "'NOT ASSIGNED' )" +
                    session};
    }
    // One update per item: the product's triggers may be written for a single row, and one
    // set-based update would fire them once for all.
    std::string touchForHistory(std::string_view table, std::string_view key, std::string_view column,
                                std::int32_t importId) const override {
        const std::string name(table);
        return "SET NOCOUNT ON\r\n"
               "DECLARE @ID int\r\n"
               "DECLARE history_cursor CURSOR LOCAL FAST_FORWARD FOR select distinct ciidid from xfrhash where "
               "importid = " +
               std::to_string(importId) +
               "\r\n"
               "OPEN history_cursor\r\n"
               "FETCH NEXT FROM history_cursor INTO @ID\r\n"
               "WHILE @@FETCH_STATUS = 0\r\n"
               "BEGIN\r\n"
               "    UPDATE " + name + " SET " + std::string(column) + " = " + std::string(column) + " WHERE " +
               std::string(key) +
               " = @ID\r\n"
               "    FETCH NEXT FROM history_cursor INTO @ID\r\n"
               "END\r\n"
               "CLOSE history_cursor\r\n"
               "DEALLOCATE history_cursor";
    }
};

// A text column of the transfer table. The row writer cuts every value to its width, so
// only the keys, which it does not cut, carry the check that fails as SQL Server would.
std::string text(const std::string& name, int width, bool key = false) {
    return "[" + name + "] nvarchar(" + std::to_string(width) + ") NULL" +
           (key ? " COLLATE NOCASE CHECK (length([" + name + "]) <= " + std::to_string(width) + ")" : "");
}

class SqliteImportStatements : public ImportStatements {
public:
    std::vector<std::string> createTransferTable() const override {
        std::string sql = "CREATE TABLE [XFRTransfer] ([StructureID] int NOT NULL, " + text("XFRID", 255, true) +
                          ", [Parent] nvarchar(255) NOT NULL COLLATE NOCASE CHECK (length([Parent]) <= 255), ";
        for (int n = 1; n <= 10; ++n) sql += text("Num" + std::to_string(n), 35) + ", ";
        for (int n = 1; n <= 15; ++n) sql += text("Alpha" + std::to_string(n), 35) + ", ";
        for (int n = 1; n <= 5; ++n) {
            std::string i = std::to_string(n);
            sql += text("AAlpha" + i, 50) + ", " + text("ANum" + i, 20) + ", [ADate" + i + "] datetime NULL, [ACurr" +
                   i + "] money NULL, ";
        }
        sql += text("AssetID", 50) + ", " + text("CostCentre", 50) + ", " + text("Location", 50) +
               ", [OriginalPrice] money NULL, [SalvagePrice] money NULL, [AcquireDate] datetime NULL, "
               "[DepPeriod] int NULL, [DToolID] int NULL, [DDefault] bit NULL, " +
               text("DLinkID", 50) + ", " + text("EmailID", 200) + ", " + text("WebID", 100) + ", " +
               text("Notes", 4000) + ", [StyleID] int NOT NULL, [SLAProvider] bit NOT NULL, "
               "[StructureParentID] int NULL, " +
               text("KBDetails", 4000) + ", " + text("KBReso", 4000) + ", " + text("KBSummary", 255) +
               ", [KBCatID] int NULL)";
        return {sql};
    }
    // Built once the rows are in: faster than keeping it up to date row by row. The level makes
    // it cover the first pass of the item step.
    std::string indexTransferTable() const override {
        return "CREATE INDEX IF NOT EXISTS [XFR_Transfer_1] ON [XFRTransfer] ([XFRID], [StructureID])";
    }
    std::string createTempPTable() const override {
        return "CREATE TABLE [XFRTempP] (" + text("strXFRIDS", 255, true) + ")";
    }
    std::string disableTriggers(std::string_view table) const override {
        return db::disableTriggersStatement(db::DestinationDialect::Kind::Sqlite, table);
    }
    std::string enableTriggers(std::string_view table) const override {
        return db::enableTriggersStatement(db::DestinationDialect::Kind::Sqlite, table);
    }
    std::string triggersOff() const override { return db::triggersOffStatement(db::DestinationDialect::Kind::Sqlite); }
    // Items that already have their parent are not written again (the triggers are off).
    std::string updateParents(std::int32_t importId) const override {
        return "UPDATE [CIID] SET [Parent] = [XFRHASH].[CIIDParent] FROM [XFRHASH] WHERE [CIID].[ID] = "
               "[XFRHASH].[CIIDID] AND [XFRHASH].[CIIDParent] IS NOT NULL AND [XFRHASH].[ImportID] = " +
               std::to_string(importId) + " AND [CIID].[Parent] IS NOT [XFRHASH].[CIIDParent]";
    }
    std::vector<std::string> invalidAssetIds(std::int32_t importId) const override {
        std::string session =
            " AND [CIIDID] IN (SELECT [CIIDID] FROM [XFRHASH] WHERE [ImportID] = " + std::to_string(importId) + ")";
        return {"UPDATE [AssetCIID] SET [AssetID] = 'NOT ASSIGNED' WHERE ([AssetID] IS NULL OR "
                "length(trim([AssetID])) = 0)" + session,
                "UPDATE [AssetCIID] SET [AssetID] = 'NOT ASSIGNED' WHERE [AssetID] IN (SELECT [AssetID] FROM "
                "[AssetCIID] GROUP BY [AssetID] HAVING count([AssetID]) > 1 AND [AssetID] <> 'NOT ASSIGNED')" +
                    session};
    }
    // One statement: SQLite has only row triggers (FOR EACH ROW is implied), so the product's
    // history trigger runs once for every item.
    std::string touchForHistory(std::string_view table, std::string_view key, std::string_view column,
                                std::int32_t importId) const override {
        return "UPDATE " + std::string(table) + " SET " + std::string(column) + " = " + std::string(column) +
               " WHERE " + std::string(key) + " in (select ciidid from xfrhash where importid = " +
               std::to_string(importId) + ")";
    }
};

bool recreate(db::Connection& destination, const std::string& drop, const std::vector<std::string>& create,
              diag::ErrorReporter& reporter) {
    try {
        destination.execute(drop);
    } catch (const db::DbError& error) {
        if (error.code() != db::kErrNoSuchTable) {
            reporter.UT_Report_Error(error.toErrorRecord(), "frmDBSave:Create_Temp_Table", "");
            return false;
        }
    }
    try {
        for (const std::string& statement : create) destination.execute(statement);
    } catch (const db::DbError& error) {
        reporter.UT_Report_Error(error.toErrorRecord(), "frmDBSave:Create_Temp_Table", "");
        return false;
    }
    return true;
}

}  // namespace

const ImportStatements& importStatementsFor(db::DestinationDialect::Kind kind) {
    static const MssqlImportStatements mssql;
    static const SqliteImportStatements sqlite;
    if (kind == db::DestinationDialect::Kind::Mssql) return mssql;
    return sqlite;
}

bool Create_Temp_P_Table(db::Connection& destination, const ImportStatements& statements,
                         diag::ErrorReporter& reporter) {
    return recreate(destination, "Drop Table XFRTempP", {statements.createTempPTable()}, reporter);
}

bool Create_Temp_Table(db::Connection& destination, const ImportStatements& statements, diag::ErrorReporter& reporter) {
    return recreate(destination, "Drop Table XFRTransfer", statements.createTransferTable(), reporter);
}

std::int32_t insertTranLog(db::Connection& destination, db::DestinationDialect::Kind kind, const std::string& user,
                           const std::string& computer, const std::string& notes, std::int32_t updateImportId,
                           const std::string& mapFile) {
    std::string insert =
        std::string("Insert Into XFRTranLog (DateTime, [User], CompName, Notes, UpdateImportID, MapFile)") +
        (kind == db::DestinationDialect::Kind::Mssql ? " Values (current_timestamp, ?, ?, ?, ?, ?)"
                                                     : " Values (datetime('now', 'localtime'), ?, ?, ?, ?, ?)");
    std::vector<db::Value> values = {user, computer, notes, std::int64_t{updateImportId}, mapFile};
    if (kind == db::DestinationDialect::Kind::Mssql) {
        // The identity of this very insert: another import's row may follow it at once.
        auto rows = destination.prepare("SET NOCOUNT ON; " + insert + "; SELECT CAST(SCOPE_IDENTITY() AS int) AS ID")
                        ->query(values);
        if (!rows->next()) throw db::DbError(db::kErrGeneralFailure, "The new import session has no ID.");
        return static_cast<std::int32_t>(std::stol(rows->value(std::size_t{0}).value_or("0")));
    }
    destination.prepare(insert)->execute(values);
    return static_cast<std::int32_t>(destination.lastInsertId());
}

}  // namespace koru::import
