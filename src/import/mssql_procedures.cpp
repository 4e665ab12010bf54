#include "import/mssql_procedures.h"

#include <string>
#include <utility>
#include <vector>

namespace koru::import {
namespace {

using Lines = std::vector<std::string>;

std::string joined(const Lines& lines, const std::string& lineEnd) {
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += lineEnd;
        text += line;
    }
    return text;
}

std::string indent(int depth) {
    return std::string(4 * depth, ' ');
}

void appendIndented(std::vector<std::string>& lines, const std::vector<std::string>& block, int depth) {
    for (const std::string& line : block) lines.push_back(indent(depth) + line);
}

std::string commaList(const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& item : items) list += (list.empty() ? "" : ", ") + item;
    return list;
}

// name1 .. nameN, each followed by suffix (a declared type, or nothing).
std::vector<std::string> numbered(const std::string& name, int count,
                                  const std::string& suffix = "") {
    std::vector<std::string> names;
    for (int n = 1; n <= count; ++n) names.push_back(name + std::to_string(n) + suffix);
    return names;
}

std::string quoted(const std::string& expression) {
    return "@QuoteChar + " + expression + " + @QuoteChar";
}
// Text from the transfer row, as a Unicode literal: every character of the source survives.
std::string unicodeQuoted(const std::string& expression) {
    return "@NQuote + " + expression + " + @QuoteChar";
}
std::string trimmed(const std::string& variable) {
    return "ltrim(rtrim(" + variable + "))";
}
std::string asChar20(const std::string& variable) {
    return "convert(char(20), " + variable + ")";
}

// @Base: the session an update run updates and the sessions it updated in turn, back to the
// plain import they started from. Stops at a session that is gone and never loops.
Lines updatedSessions(const std::string& first, int depth) {
    const std::string at = indent(depth);
    return {
        at + "DECLARE @Base TABLE (ImportID int)",
        at + "DECLARE @BaseID int",
        at + "SET @BaseID = " + first,
        at + "WHILE @BaseID > 0 AND NOT EXISTS (SELECT * FROM @Base WHERE ImportID = @BaseID)",
        at + "BEGIN",
        at + "    INSERT INTO @Base (ImportID) VALUES (@BaseID)",
        at + "    SET @BaseID = (SELECT UpdateImportID FROM XFRTranLog WHERE ID = @BaseID)",
        at + "END",
    };
}

// The item those sessions recorded last for a level's key, where it still exists.
std::string recordedItem(const std::string& level, const std::string& key) {
    return "(SELECT TOP 1 b.CIIDID From XFRHash b INNER JOIN CIID c ON c.ID = b.CIIDID where b.Importid IN (SELECT "
           "ImportID FROM @Base) and b.structureid = " +
           level + " and b.XFRID = " + key + " ORDER BY b.Importid desc)";
}

std::string procedureKb() {
    const std::string fetch =
        "FETCH NEXT FROM kb_cursor INTO @Details, @Resolution, @Summary, @CatID";
    return joined({"CREATE PROCEDURE [dbo].[XFR_Update_KB]",
                   "AS",
                   "DECLARE @Details nvarchar(4000)",
                   "DECLARE @Resolution nvarchar(4000)",
                   "DECLARE @Summary nvarchar(255)",
                   "DECLARE @CatID int",
                   "DECLARE kb_cursor CURSOR LOCAL FOR",
                   "SELECT  KBDetails, KBReso, KBSummary, KBCatID",
                   "From XFRTransfer",
                   "Order by xfrid desc",
                   "OPEN kb_cursor",
                   fetch,
                   "WHILE @@FETCH_STATUS = 0",
                   "BEGIN",
                   "    INSERT INTO KNOWLEDGE(Definition, Resolution, Keywords, CategoriesID)",
                   "    VALUES (@Details, @Resolution, @Summary, @CatID)",
                   indent(1) + fetch,
                   "END",
                   "CLOSE kb_cursor",
                   "DEALLOCATE kb_cursor"},
                  "\r\n");
}

std::string procedureParentList() {
    // The only procedure whose lines end in a bare line feed.
    return joined(
        {
            "CREATE PROCEDURE [dbo].[XFR_GET_Parent_List]",
            "  @StrucID int",
            "AS",
            "  SET NOCOUNT ON",
            "  declare @xfrid nvarchar(255)",
            "  declare @strID nvarchar(255)",
            "  declare @QuoteChar varchar(2)",
            "  SET @QuoteChar = char(39)",
            "  declare xfr_cursor cursor local for select distinct xfrid from xfrTransfer "
            "where structureID = @StrucID order by xfrid asc",
            "  open xfr_cursor",
            "  fetch next from xfr_cursor into @xfrid",
            "  while @@FETCH_STATUS = 0",
            "  begin",
            "     select @strID = @QuoteChar + rtrim(ltrim(@xfrid)) + @QuoteChar",
            "     insert into xfrtempP(strXFRIDS) values(@strID)",
            "     fetch next from xfr_cursor into @xfrid",
            "  end",
            "  close xfr_cursor",
            "  deallocate xfr_cursor",
        },
        "\n");
}

std::string procedureHierarchy() {
    const std::string fetch = "FETCH NEXT FROM hash_cursor INTO @ciidITEM, @xfrid";
    Lines lines = {"CREATE PROCEDURE [dbo].[XFR_Update_DB_Hierachy]",
         "    @importID int,",
         "    @StrucLevel int",
         "AS",
         "    SET NOCOUNT ON",
         "    DECLARE @ciidITEM int",
         // Unicode, or a key outside the code page would match no recorded parent.
         "    DECLARE @xfrid nchar (255)",
         "    DECLARE hash_cursor CURSOR LOCAL FOR",
         "    select ciidid, xfrid from xfrhash ",
         "    Where ImportID = @importID ",
         "    and structureid = @StrucLevel",
         "    OPEN hash_cursor",
         indent(1) + fetch,
         "    WHILE @@FETCH_STATUS = 0",
         "        BEGIN",
         "            UPDATE XFRHash SET CiidParent = @ciidITEM  WHERE importid = @importID and "
         "Parent = ltrim(rtrim(@xfrid)) And StructureParent = @StrucLevel",
         indent(3) + fetch,
         "        END",
         "    CLOSE hash_cursor",
         "    DEALLOCATE hash_cursor"};
    // A parent that this run did not write (a new child of a recorded item): the item the
    // updated sessions recorded for it.
    for (const std::string& line : updatedSessions("(SELECT UpdateImportID FROM XFRTranLog WHERE ID = @importID)", 1)) {
        lines.push_back(line);
    }
    lines.push_back("    UPDATE XFRHash SET CiidParent = " + recordedItem("@StrucLevel", "ltrim(rtrim(XFRHash.Parent))") +
                    " WHERE importid = @importID And StructureParent = @StrucLevel And CiidParent IS NULL");
    return joined(lines, "\r\n");
}

// One cursor column of XFR_Update_CIID and the variable it is fetched into.
struct Fetched {
    std::string column;
    std::string variable;
};
using FetchedGroup = std::vector<Fetched>;

FetchedGroup numberedFetch(const std::string& column, int count) {
    FetchedGroup group;
    for (int n = 1; n <= count; ++n) {
        group.push_back({column + std::to_string(n), "@" + column + std::to_string(n)});
    }
    return group;
}

// The cursor's columns in their fixed order, one group per line of the select list.
std::vector<FetchedGroup> transferCursor() {
    return {
        {{"structureid", "@StructureID"},
         {"xfrid", "@xfrid"},
         {"parent", "@Parent"},
         {"emailid", "@EmailID"},
         {"webid", "@WebID"},
         {"notes", "@Notes"}},
        numberedFetch("num", 10),
        numberedFetch("alpha", 15),
        // structureid a second time, into the same variable.
        {{"StyleID", "@styleid"},
         {"slaprovider", "@slaprovider"},
         {"structureid", "@StructureID"},
         {"assetid", "@AssetID"},
         {"Costcentre", "@Costcentre"},
         {"Location", "@Location"},
         {"Originalprice", "@Originalprice"},
         {"Salvageprice", "@Salvageprice"},
         {"Acquiredate", "@Acquiredate"},
         {"Depperiod", "@Depperiod"},
         {"DToolID", "@DToolID"},
         {"DDefault", "@DDefault"},
         {"DLinkID", "@DLinkID"}},
        numberedFetch("Anum", 5),
        numberedFetch("Aalpha", 5),
        numberedFetch("Adate", 5),
        numberedFetch("Acurr", 5),
        {{"StructureParentID", "@StructureParentID"}},
    };
}

Lines ciidDeclarations() {
    return {
        "DECLARE @xfrid nvarchar(255), @Parent nvarchar(255)",
        "DECLARE " + commaList(numbered("@num", 10, " varchar(35)")),
        "DECLARE " + commaList(numbered("@alpha", 15, " varchar(35)")),
        "DECLARE @EmailID varchar(200)",
        "DECLARE @WebID varchar(100)",
        "DECLARE @Notes nvarchar(4000)",
        "DECLARE @styleid int",
        "DECLARE @slaprovider bit",
        "DECLARE " + commaList(numbered("@Anum", 5, " varchar(20)")),
        "DECLARE " + commaList(numbered("@Aalpha", 5, " varchar(50)")),
        "DECLARE " + commaList(numbered("@Adate", 5, " datetime")) + ", @Acquiredate datetime",
        "DECLARE " + commaList(numbered("@Acurr", 5, " money")) +
            ", @Originalprice money, @Salvageprice money",
        "DECLARE @AssetID varchar(50), @Costcentre varchar(50), @Location varchar(50)",
        "DECLARE @ForgetAssetIDUpdate varchar(10)",
        "DECLARE @Depperiod int, @DToolID int, @LinkCount int, @UpdateCIIDID int, @CiidID int, "
        "@CiidNewParent int, @StructureID int, @StructureParentID int",
        "DECLARE @DLinkID char (50)",
        "DECLARE @DDefault bit, @useValue bit, @UseDep bit",
        // The dynamic statements, Unicode and unbounded: a 4000-character note is kept whole.
        "DECLARE @CIIDInsert nvarchar(max), @CIIDValues nvarchar(max), @AssetInsert nvarchar(max), "
        "@AssetValues nvarchar(max), @HashInsert nvarchar(max)",
        "DECLARE @QuoteChar varchar(2), @NQuote nvarchar(2)",
        // Rows whose item statement failed, and what the first of them was.
        "DECLARE @RowFailed bit, @FailedCount int, @FirstFailedLevel int, @FirstFailedKey nvarchar(255), "
        "@FirstFailedError nvarchar(4000), @FailureMessage nvarchar(4000)",
    };
}

// A column appended to an insert only when its value is not null: the name to the column list,
// the value to the values list.
void appendInsertColumn(Lines& lines, int depth, const std::string& statement,
                        const std::string& values, const std::string& variable,
                        const std::string& column, const std::string& value,
                        const Lines& alsoSet = {}) {
    const std::string outer = indent(depth);
    const std::string inner = indent(depth + 1);
    lines.push_back(outer + "IF " + variable + " IS NOT NULL");
    lines.push_back(outer + "BEGIN");
    lines.push_back(inner + "SET " + statement + " = " + statement + " + ', " + column + "'");
    lines.push_back(inner + "SET " + values + " = " + values + " + ' , ' + " + value);
    for (const std::string& line : alsoSet) lines.push_back(inner + line);
    lines.push_back(outer + "END");
}

// An update sets a column only when its value is not null.
std::string updateColumn(int depth, const std::string& statement, const std::string& variable,
                         const std::string& column, const std::string& value) {
    return indent(depth) + "IF " + variable + " IS NOT NULL SET " + statement + " = " + statement +
           " + ', " + column + " = ' + " + value;
}

struct ItemColumn {
    std::string column;
    std::string variable;
};

std::vector<ItemColumn> itemColumns() {
    std::vector<ItemColumn> columns = {
        {"emailid", "@EmailID"}, {"webid", "@WebID"}, {"notes", "@Notes"}};
    for (int n = 1; n <= 10; ++n) {
        columns.push_back({"num" + std::to_string(n), "@num" + std::to_string(n)});
    }
    for (int n = 1; n <= 15; ++n) {
        columns.push_back({"alpha" + std::to_string(n), "@alpha" + std::to_string(n)});
    }
    return columns;
}

// Steps of one transfer row that write CIID: an update of the item recorded in the earlier
// session, or a new item.
void appendItemStatement(Lines& lines) {
    lines.push_back("    IF @UpdateCIIDID IS NOT NULL");
    lines.push_back("    BEGIN");
    lines.push_back("        SET @CIIDInsert = 'Update CIID Set styleid = ' + str(@styleid)");
    for (const ItemColumn& item : itemColumns()) {
        lines.push_back(updateColumn(2, "@CIIDInsert", item.variable, item.column,
                                     unicodeQuoted(trimmed(item.variable))));
    }
    lines.push_back("        SET @CIIDInsert = @CIIDInsert + ' Where ID = ' + str(@UpdateCIIDID)");
    lines.push_back("        EXEC(@CIIDInsert)");
    lines.push_back("        SET @CiidID = @UpdateCIIDID");
    lines.push_back("    END");
    lines.push_back("    ELSE");
    lines.push_back("    BEGIN");
    lines.push_back("        SET @CIIDInsert = 'Insert Into CIID(parent, styleid, slaprovider'");
    lines.push_back("        IF @StructureID = 1");
    lines.push_back(
        "            SET @CIIDValues = @Parent + ', ' + str(@styleid) + ' , ' + str(@slaprovider)");
    lines.push_back("        ELSE");
    lines.push_back(
        "            SET @CIIDValues = ' 0, ' + str(@styleid) + ' , ' + str(@slaprovider)");
    for (const ItemColumn& item : itemColumns()) {
        appendInsertColumn(lines, 2, "@CIIDInsert", "@CIIDValues", item.variable, item.column,
                           unicodeQuoted(trimmed(item.variable)));
    }
    lines.push_back("        SET @CIIDInsert = @CIIDInsert + ') Values ('");
    lines.push_back("        SET @CIIDValues = @CIIDValues + ')'");
    // The identity is taken inside the insert's own batch: outside it SCOPE_IDENTITY() does not
    // see the insert, and @@IDENTITY would still hold the previous row's item when it failed.
    lines.push_back("        SET @CiidID = NULL");
    lines.push_back(
        "        SET @CIIDInsert = @CIIDInsert + @CIIDValues + N' SET @NewID = SCOPE_IDENTITY()'");
    lines.push_back("        EXEC sp_executesql @CIIDInsert, N'@NewID int OUTPUT', @CiidID OUTPUT");
    // A null statement (a level-1 row without parent text) runs as nothing.
    lines.push_back("        IF @CiidID IS NULL RAISERROR('No item was created.', 16, 1)");
    lines.push_back("    END");
}

// A row whose item statement fails is counted and the rest of it skipped; the first failure is
// kept for the message that ends the procedure.
void appendFailureRecord(Lines& lines) {
    for (const char* line : {
             "    BEGIN CATCH",
             "        SET @RowFailed = 1",
             "        SET @FailedCount = @FailedCount + 1",
             "        IF @FailedCount = 1",
             "        BEGIN",
             "            SET @FirstFailedLevel = @StructureID",
             "            SET @FirstFailedKey = ISNULL(ltrim(rtrim(@xfrid)), N'')",
             "            SET @FirstFailedError = ERROR_MESSAGE()",
             "        END",
             "    END CATCH",
         }) {
        lines.push_back(line);
    }
}

struct AssetColumn {
    std::string variable;
    std::string column;
    std::string updateValue;
    std::string insertValue;
    Lines alsoSet;  // flags a new asset raises when the value is present
};

std::vector<AssetColumn> assetColumns() {
    const Lines values = {"SET @useValue = 1", "SET @UseDep = 0"};
    const Lines depreciation = {"SET @useValue = 1", "SET @UseDep = 1"};
    std::vector<AssetColumn> columns = {
        {"@Costcentre", "costcentre", unicodeQuoted(trimmed("@Costcentre")),
         unicodeQuoted("rtrim(ltrim(@Costcentre))"), values},
        {"@Location", "location", unicodeQuoted(trimmed("@Location")), unicodeQuoted(trimmed("@Location")), {}},
        {"@Originalprice", "originalprice", quoted(asChar20("@Originalprice")),
         asChar20("@Originalprice"), values},
        {"@Acquiredate", "acquiredate", quoted(asChar20("@Acquiredate")),
         quoted(asChar20("@Acquiredate")), values},
        {"@Salvageprice", "salvageprice", quoted(asChar20("@Salvageprice")),
         asChar20("@Salvageprice"), depreciation},
        {"@Depperiod", "depperiod", quoted("str(@Depperiod)"), quoted("str(@Depperiod)"),
         depreciation},
    };
    for (int n = 1; n <= 5; ++n) {
        std::string variable = "@Anum" + std::to_string(n);
        // Trimmed on insert as on update, or the padding of the char transfer column is stored.
        columns.push_back({variable,
                           "num" + std::to_string(n),
                           unicodeQuoted(trimmed(variable)),
                           unicodeQuoted(trimmed(variable)),
                           {}});
    }
    for (int n = 1; n <= 5; ++n) {
        std::string variable = "@Aalpha" + std::to_string(n);
        columns.push_back({variable,
                           "alpha" + std::to_string(n),
                           unicodeQuoted(trimmed(variable)),
                           unicodeQuoted(trimmed(variable)),
                           {}});
    }
    for (int n = 1; n <= 5; ++n) {
        std::string variable = "@Adate" + std::to_string(n);
        columns.push_back({variable,
                           "date" + std::to_string(n),
                           quoted(asChar20(variable)),
                           quoted(asChar20(variable)),
                           {}});
    }
    for (int n = 1; n <= 5; ++n) {
        std::string variable = "@Acurr" + std::to_string(n);
        columns.push_back({variable,
                           "curr" + std::to_string(n),
                           quoted(asChar20(variable)),
                           asChar20(variable),
                           {}});
    }
    return columns;
}

// The asset record and, for a new item, its companion rows; only where the asset table exists.
void appendAssetStatements(Lines& lines) {
    lines.push_back(
        "    IF exists (SELECT * From dbo.sysobjects where id = object_id(N'[dbo].[assetciid]') "
        "and OBJECTPROPERTY(id, N'IsUserTable') = 1)");
    lines.push_back("    BEGIN");
    lines.push_back("        SET @useValue = 0");
    lines.push_back("        SET @UseDep = 0");
    lines.push_back("        IF @UpdateCIIDID IS NOT NULL");
    lines.push_back("        BEGIN");
    lines.push_back(
        "            SET @AssetInsert = 'Update AssetCIID SET styleid = ' + str(@styleid) + "
        "', username = ' + @QuoteChar + 'XFR' + @QuoteChar");
    lines.push_back(
        "            IF @ForgetAssetIDUpdate IS NULL SET @AssetInsert = @AssetInsert + "
        "', AssetID = ' + @NQuote + @AssetID + @QuoteChar");
    for (const AssetColumn& asset : assetColumns()) {
        lines.push_back(
            updateColumn(3, "@AssetInsert", asset.variable, asset.column, asset.updateValue));
    }
    // Nothing above raises the flags, so an updated asset always ends with 0 and 0.
    lines.push_back(
        "            SET @AssetInsert = @AssetInsert + ', usevalue = ' + "
        "convert(char(1), @useValue)");
    lines.push_back(
        "            SET @AssetInsert = @AssetInsert + ', useDep = ' + convert(char(1), @UseDep)");
    lines.push_back("            IF @UseDep = 1 SET @AssetInsert = @AssetInsert + ', depType = 1'");
    lines.push_back(
        "            SET @AssetInsert = @AssetInsert + ' Where CIIDID = ' + str(@UpdateCIIDID)");
    lines.push_back("            EXEC(@AssetInsert)");
    lines.push_back("        END");
    lines.push_back("        ELSE");
    lines.push_back("        BEGIN");
    lines.push_back(
        "            SET @AssetInsert = 'Insert Into AssetCIID(ciidid, assetid, styleid, username, "
        "manualtrackingflag, usemaintain, leased'");
    std::vector<std::string> fixedValues = {
        "str(@CiidID)", unicodeQuoted("@AssetID"), quoted("str(@styleid)"), quoted("'XFR'"), quoted("'1'"),
        quoted("'0'"),  quoted("'0'")};
    std::string firstValues;
    for (const std::string& value : fixedValues) {
        firstValues += (firstValues.empty() ? "" : " + ' , ' + ") + value;
    }
    lines.push_back("            SET @AssetValues = " + firstValues);
    for (const AssetColumn& asset : assetColumns()) {
        appendInsertColumn(lines, 3, "@AssetInsert", "@AssetValues", asset.variable, asset.column,
                           asset.insertValue, asset.alsoSet);
    }
    lines.push_back("            SET @AssetInsert = @AssetInsert + ', useValue'");
    lines.push_back(
        "            SET @AssetValues = @AssetValues + ' , ' + convert(char(1), @useValue)");
    lines.push_back("            SET @AssetInsert = @AssetInsert + ', useDep'");
    lines.push_back(
        "            SET @AssetValues = @AssetValues + ' , ' + convert(char(1), @UseDep)");
    lines.push_back("            IF @UseDep = 1");
    lines.push_back("            BEGIN");
    lines.push_back("                SET @AssetInsert = @AssetInsert + ', depType'");
    lines.push_back("                SET @AssetValues = @AssetValues + ' , 1'");
    lines.push_back("            END");
    lines.push_back("            SET @AssetInsert = @AssetInsert + ') Values ('");
    lines.push_back("            SET @AssetValues = @AssetValues + ')'");
    lines.push_back("            EXEC(@AssetInsert + @AssetValues)");
    for (const char* companion :
         {"INSERT INTO ASSETMaintain (CIIDID)  VALUES (@CiidID)",
          "INSERT INTO VISITING (StartDate, Status, CIIDID, TrackUser) VALUES (current_timestamp, "
          "'1' , str(@CiidID) , 'XFR')",
          "INSERT INTO AssetCIIDHistory(CIIDID, Date, Time, Username) VALUES(@CiidID, "
          "current_timestamp, current_timestamp, 'XFR')",
          "INSERT INTO AssetMaintainHistory(CIIDID, Date, Time, Username) VALUES(@CiidID, "
          "current_timestamp, current_timestamp, 'XFR')",
          "INSERT INTO CIIDHistory(CIIDID, Parent, Date, Time, Username) VALUES(@CiidID, "
          "@CiidNewParent, current_timestamp, current_timestamp, 'XFR')"}) {
        lines.push_back(indent(3) + companion);
    }
    lines.push_back("        END");
    lines.push_back("    END");
}

std::string procedureCiid() {
    std::vector<std::string> columnLines;
    std::vector<std::string> variables;
    for (const FetchedGroup& group : transferCursor()) {
        std::vector<std::string> columns;
        for (const Fetched& fetched : group) {
            columns.push_back(fetched.column);
            variables.push_back(fetched.variable);
        }
        columnLines.push_back(commaList(columns));
    }
    const std::string fetch = "FETCH NEXT FROM xfr_cursor INTO " + commaList(variables);

    Lines lines = {
        "--Transfers All Data From XFRTransfer Table To CIID Table, Inserting Values into the hash "
        "table as we go.",
        "CREATE PROCEDURE [dbo].[XFR_Update_CIID]",
        "    @importID int,",
        "    @UpdateImportID int",
        "AS",
    };
    for (const std::string& line : ciidDeclarations()) lines.push_back(line);
    lines.push_back("SET @QuoteChar = char(39)");
    lines.push_back("SET @NQuote = N'N' + @QuoteChar");
    lines.push_back("SET @FailedCount = 0");
    for (const std::string& line : updatedSessions("@UpdateImportID", 0)) lines.push_back(line);
    lines.push_back("DECLARE xfr_cursor CURSOR LOCAL FOR");
    for (std::size_t i = 0; i < columnLines.size(); ++i) {
        bool last = i + 1 == columnLines.size();
        lines.push_back((i == 0 ? "SELECT " : indent(1)) + columnLines[i] + (last ? "" : ","));
    }
    lines.push_back("From XFRTransfer");
    lines.push_back("Order by xfrid desc");
    lines.push_back("OPEN xfr_cursor");
    lines.push_back(fetch);
    lines.push_back("WHILE @@FETCH_STATUS = 0");
    lines.push_back("BEGIN");
    for (const char* line : {
             "    IF @AssetID IS NULL",
             "    BEGIN",
             "        SET @AssetID = ''",
             "        SET @ForgetAssetIDUpdate = 'ForgetIT'",
             "    END",
             "    ELSE",
             "        SET @ForgetAssetIDUpdate = NULL",
             // Unassigned, @UpdateCIIDID stays null and every row is a new item.
             "    IF @UpdateImportID > 0",
         }) {
        lines.push_back(line);
    }
    lines.push_back("        SELECT @UpdateCIIDID = " + recordedItem("@StructureID", "@xfrid"));
    lines.push_back("    SET @RowFailed = 0");
    lines.push_back("    BEGIN TRY");
    Lines item;
    appendItemStatement(item);
    appendIndented(lines, item, 1);
    lines.push_back("    END TRY");
    appendFailureRecord(lines);

    Lines rest = {
        "    SET @CiidNewParent = (Select parent from ciid where id = @CiidID)",
        "    SET @HashInsert = 'Insert into XFRHash( Ciidid, XFRID, Parent,ImportID, StructureID, "
        "StructureParent) Values ( ' + str(@CiidID) + ' , ' + " +
            unicodeQuoted("ltrim(rtrim(@xfrid + ' '))") + " + ' , ' + " +
            unicodeQuoted("ltrim(rtrim(@Parent + ' '))") +
            " + ', ' + str(@importID) + ', ' + str(@StructureID) + ', ' + str(@StructureParentID) + ') '",
    };
    appendAssetStatements(rest);
    for (const char* line : {
             "    EXEC(@HashInsert)",
             "    IF @DLinkID IS NOT NULL AND @DToolID IS NOT NULL",
             "    BEGIN",
             "    SELECT @LinkCount = (SELECT count(*) FROM extLinks WHERE CIID = @CiidID "
             "and AppID = @DToolID)",
             "    IF @LinkCount > 0",
             "        UPDATE EXTLINKS SET Linkid = @DLinkID "
             "WHERE CIID = @CiidID and AppID = @DToolID",
             "    ELSE INSERT INTO ExtLinks(CIID, AppID, LinkID) "
             "VALUES(@CiidID, @DToolID, @DLinkID)",
             "    END",
         }) {
        rest.push_back(line);
    }
    lines.push_back("    IF @RowFailed = 0");
    lines.push_back("    BEGIN");
    appendIndented(lines, rest, 1);
    lines.push_back("    END");
    lines.push_back(indent(1) + fetch);
    lines.push_back("END");
    lines.push_back("CLOSE xfr_cursor");
    lines.push_back("DEALLOCATE xfr_cursor");
    // Built in a variable and passed as an argument: a key may hold a percent sign.
    for (const char* line : {
             "IF @FailedCount > 0",
             "BEGIN",
             "    SET @FailureMessage = CONVERT(nvarchar(12), @FailedCount) + N' transfer rows failed; the first: "
             "level ' + CONVERT(nvarchar(12), @FirstFailedLevel) + N', source key ' + @QuoteChar + "
             "@FirstFailedKey + @QuoteChar + N': ' + @FirstFailedError",
             "    RAISERROR('%s', 16, 1, @FailureMessage)",
             "END",
         }) {
        lines.push_back(line);
    }
    return joined(lines, "\r\n");
}

}  // namespace

std::vector<std::string> mssqlProcedureDrops() {
    return {"drop procedure [dbo].[XFR_Update_KB]", "drop procedure [dbo].[XFR_GET_Parent_List]",
            "drop procedure [dbo].[XFR_Update_CIID]",
            "drop procedure [dbo].[XFR_Update_DB_Hierachy]"};
}

std::vector<std::string> mssqlProcedureCreations() {
    return {procedureKb(), procedureParentList(), procedureCiid(), procedureHierarchy()};
}

}  // namespace koru::import
