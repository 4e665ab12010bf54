#include "import/extraction.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>
#include <utility>

#include "db/import_sessions.h"
#include "db/key_collation.h"
#include "db/source_dialect.h"
#include "db/sql_quoting.h"
#include "diag/logs.h"
#include "diag/messages.h"
#include "diag/stage_clock.h"
#include "diag/text.h"
#include "import/import_statements.h"
#include "import/level_query.h"
#include "import/row_accounting.h"
#include "import/source_diagnostics.h"
#include "mapping/mapping_checks.h"
#include "wizard/error_trap.h"
#include "wizard/text_helpers.h"

namespace koru::import {
namespace {

constexpr std::string_view kLocation = "frmDBSave:Write_To_Temp_table_Hierachy";

bool isNumericType(int adoType) {
    static const int kNumeric[] = {2, 3, 5, 14, 16, 17, 18, 19, 20, 21, 131};
    return std::find(std::begin(kNumeric), std::end(kNumeric), adoType) != std::end(kNumeric);
}

mapping::ColumnMapping mappingOf(const db::Recordset& rows) {
    mapping::ColumnMapping row;
    row.sourceTable = rows.value(std::size_t{0});
    row.sourceColumn = rows.value(std::size_t{1});
    row.destinTable = rows.value(std::size_t{2}).value_or("");
    row.destinColumn = rows.value(std::size_t{3}).value_or("");
    row.level = std::stoll(rows.value(std::size_t{4}).value_or("1"));
    return row;
}

std::vector<mapping::ColumnMapping> mappingsOf(db::Connection& destination, const std::string& sql) {
    std::vector<mapping::ColumnMapping> rows;
    auto result = destination.query(sql);
    while (result->next()) rows.push_back(mappingOf(*result));
    return rows;
}

std::string levelMappingsSql(int level, const std::string& condition) {
    return "Select SourceTable, SourceColumn, DestinTable, DestinColumn, [Level] " + std::string(" From XFRMappings") +
           " Where StructureID = " + std::to_string(level) + condition;
}

std::optional<CombinedField> combinedFieldOf(db::Connection& destination, int level, bool noBrackets) {
    if (mappingsOf(destination, levelMappingsSql(level, " and [level] > 1")).empty()) return std::nullopt;
    auto rows = mappingsOf(destination, levelMappingsSql(level, " and ([level] > 1 or (DestinTable = 'CIID' and "
                                                                "DestinColumn = 'Alpha1')) order by [Level] asc"));
    CombinedField field;
    auto qualified = [noBrackets](const mapping::ColumnMapping& row) {
        return wizard::UT_Bracket_Name(row.sourceTable.value_or(""), noBrackets) + "." +
               wizard::UT_Bracket_Name(row.sourceColumn.value_or(""), noBrackets) + " ";
    };
    for (const mapping::ColumnMapping& row : rows) {
        if (row.level == 1) field.first = qualified(row);
        if (row.level == 2) field.separator = row.destinColumn;
        if (row.level == 3) field.second = qualified(row);
    }
    return field;
}

std::vector<DataClause> clausesOf(db::Connection& destination, int level) {
    std::vector<DataClause> clauses;
    auto rows = destination.query("Select * From XFRClause Where StructureID = " + std::to_string(level) +
                                  " order by strucorder asc");
    while (rows->next()) {
        DataClause clause;
        clause.sourceTable = rows->value("SourceTable").value_or("");
        clause.sourceColumn = rows->value("SourceColumn").value_or("");
        clause.op = rows->value("Operator").value_or("");
        clause.criteria = rows->value("Criteria").value_or("");
        std::string andClause = diag::upperAscii(rows->value("AndClause").value_or("0"));
        clause.orClause = andClause != "0" && andClause != "FALSE" && !andClause.empty();
        clauses.push_back(std::move(clause));
    }
    return clauses;
}

// Whether the level's identifier column holds text, as far as the source describes it.
bool isTextKey(db::Connection& source, const std::string& dLink) {
    if (dLink.empty()) return true;
    std::string table = wizard::unbracketedName(Link_Sep(true, dLink));
    std::string column = Link_Sep(false, dLink);
    for (const db::FieldInfo& field : source.columns(table)) {
        if (diag::upperAscii(field.name) == diag::upperAscii(column)) return !isNumericType(field.adoType);
    }
    return true;
}

class TextTransferWriter : public TransferWriter {
public:
    explicit TextTransferWriter(db::Connection& destination) : m_destination(destination) {}
    void beginLevel(const TransferLayout& layout) override { m_layout = &layout; }
    void write(const std::vector<TransferValue>& values) override { m_destination.execute(m_layout->insertText(values)); }
    void finish() override {}

private:
    db::Connection& m_destination;
    const TransferLayout* m_layout = nullptr;
};

// Rows go in some thousands at a time (a few MiB at most), each batch in the order the item step
// takes them (keys descending, keyless rows last, equal keys as they came): that step then reads
// each batch front to back instead of a page of the table per row, which on a large import is much
// of its time.
class PreparedTransferWriter : public TransferWriter {
public:
    explicit PreparedTransferWriter(db::Connection& destination) : m_destination(destination) {}
    ~PreparedTransferWriter() override {
        try {
            abandon();
        } catch (...) {
            // the stage has reported its own error already
        }
    }
    void beginLevel(const TransferLayout& layout) override {
        if (!m_destination.inTransaction()) m_destination.beginTransaction();
        m_statement = m_destination.prepare(layout.parameterisedInsert());
    }
    // The row is packed into the batch: a kind byte per value, then its number or its text's length
    // and bytes.
    void write(const std::vector<TransferValue>& values) override {
        Row row{m_batch.size(), values.size(), 0, 0, false};  // keyless until its key is seen
        for (std::size_t i = 0; i < values.size(); ++i) {
            const TransferValue& value = values[i];
            m_batch += static_cast<char>(value.kind);
            if (value.kind == TransferValue::Kind::Number) {
                m_batch.append(reinterpret_cast<const char*>(&value.number), sizeof value.number);
            } else if (value.kind == TransferValue::Kind::Text) {
                std::uint32_t length = static_cast<std::uint32_t>(value.text.size());
                m_batch.append(reinterpret_cast<const char*>(&length), sizeof length);
                if (i == kKeyField) {
                    row.keyAt = m_batch.size();
                    row.keyLength = length;
                    row.keyed = true;
                }
                m_batch += value.text;
            }
        }
        m_rows.push_back(row);
        if (m_rows.size() == kBatchRows || m_batch.size() >= kBatchBytes) flush();
    }
    void endLevel() override { flush(); }
    void finish() override {
        try {
            flush();
        } catch (...) {
            abandon();
            throw;
        }
        abandon();
    }
    // Commits also after a failure: rows already written stay, as they would row by row.
    void abandon() override {
        m_rows.clear();
        m_batch.clear();
        m_statement.reset();
        if (m_destination.isOpen() && m_destination.inTransaction()) m_destination.commit();
    }

private:
    static constexpr std::size_t kBatchRows = 16384;
    static constexpr std::size_t kBatchBytes = std::size_t{4} << 20;  // long texts make smaller batches
    static constexpr std::size_t kKeyField = 1;  // XFRID, after StructureID
    struct Row {
        std::size_t at;      // where its values start in the batch
        std::size_t values;  // how many
        std::size_t keyAt;   // its key's text, where it has one
        std::size_t keyLength;
        bool keyed;
    };

    std::string_view keyOf(const Row& row) const { return {m_batch.data() + row.keyAt, row.keyLength}; }

    void flush() {
        std::stable_sort(m_rows.begin(), m_rows.end(), [this](const Row& a, const Row& b) {
            return a.keyed && (!b.keyed || db::compareKeys(keyOf(a), keyOf(b)) > 0);
        });
        // A refused row ends the stage: abandon() drops the rows after it.
        for (const Row& row : m_rows) {
            unpack(row);
            m_statement->execute(m_parameters);
        }
        m_rows.clear();
        m_batch.clear();
    }

    // The row's values as parameters, whose strings keep their room from row to row.
    void unpack(const Row& row) {
        m_parameters.resize(row.values);
        const char* at = m_batch.data() + row.at;
        for (db::Value& parameter : m_parameters) {
            auto kind = static_cast<TransferValue::Kind>(*at++);
            if (kind == TransferValue::Kind::Null) {
                parameter = std::monostate{};
            } else if (kind == TransferValue::Kind::Number) {
                std::int64_t number;
                std::memcpy(&number, at, sizeof number);
                at += sizeof number;
                parameter = number;
            } else {
                std::uint32_t length;
                std::memcpy(&length, at, sizeof length);
                at += sizeof length;
                std::string_view text(at, length);
                at += length;
                if (auto* string = std::get_if<std::string>(&parameter)) string->assign(text);
                else parameter.emplace<std::string>(text);
            }
        }
    }

    db::Connection& m_destination;
    std::unique_ptr<db::Statement> m_statement;
    std::string m_batch;      // the packed values of the rows not yet written
    std::vector<Row> m_rows;  // where each row is in it
    std::vector<db::Value> m_parameters;
};

// SQLite stops parsing statements nested about twelve deep ("parser stack overflow"), and a
// level's statement nests the statements of every level above it: past this depth a level
// reads its parent's keys from a temporary table of the source connection instead.
constexpr int kSqliteNesting = 8;

// What a key list may take of a statement's limit once the rest of the statement has its room.
std::size_t roomLeft(std::size_t limit, std::size_t rest) {
    // The connector, the brackets and the select list of the count and key statements.
    constexpr std::size_t kMargin = 100;
    return limit > rest + kMargin ? limit - rest - kMargin : 0;
}

// The not-in-source condition around its list of the source's keys, but for the sessions.
constexpr std::size_t kConditionRoom = 300;

std::string keptParentKeys(db::Connection& source, const wizard::StructureLevel& parent, int level) {
    std::string table = "koru_level_keys_" + std::to_string(level);
    std::size_t from = diag::upperAscii(parent.levelQuery).find(" FROM ");
    source.execute("DROP TABLE IF EXISTS temp." + table);
    source.execute("CREATE TEMP TABLE " + table + " AS SELECT " + parent.DLink + " AS k " +
                   parent.levelQuery.substr(from + 1));
    return "SELECT k FROM temp." + table;
}

// Said of a level whose rows name no parent row by their up-link: the level leaves them out.
// `linked` counts the rows it reads; the statement nests no deeper than the level's own.
std::optional<std::string> unlinkedRows(db::Connection& source, const LevelQuery& query, const std::string& key,
                                        const std::string& upLink, long linked, const std::string& level,
                                        const std::string& parentLevel) {
    std::string all = withoutParentCondition(query);
    long count = -linked;
    {
        auto rows = source.query("Select count(*) " + all);
        if (rows->next()) count += countOf(*rows, 0);
    }
    if (count <= 0) return std::nullopt;
    std::string select = "Select " + (key.empty() ? std::string("''") : key) + ", " + upLink + " ";
    auto rows = source.query(select + all + " EXCEPT " + select + query.statement.substr(query.selectEnd));
    std::vector<std::string> first;
    while (first.size() < 3 && rows->next()) {
        std::string rowKey = diag::trimBlanks(rows->text(0).value_or(""));
        auto parentKey = rows->text(1);
        first.push_back((rowKey.empty() ? "" : "'" + rowKey + "' ") + "under " +
                        (parentKey ? "'" + std::string(*parentKey) + "'" : std::string("null")));
    }
    return unlinkedRowsFinding(level, parentLevel, count, first);
}

// A level below the top reads only the rows whose link names a row its parent level read
// before it: one that cannot, reads nothing, and the import would end as if it had.
void checkLevelLinks(const std::vector<wizard::StructureLevel>& levels) {
    for (std::size_t i = 2; i < levels.size(); ++i) {
        const wizard::StructureLevel& level = levels[i];
        std::string name = "Level " + std::to_string(i) + " (" + level.Name + ")";
        std::size_t parent = level.ULinkID > 0 ? static_cast<std::size_t>(level.ULinkID) : 0;
        if (parent == 0 || parent >= levels.size()) {
            throw std::invalid_argument(name + " hangs under level " + std::to_string(level.ULinkID) +
                                        ", which the mapping does not have.");
        }
        if (parent >= i) {
            throw std::invalid_argument(name + " hangs under level " + std::to_string(parent) +
                                        ", whose rows are read after its own.");
        }
        if (level.ULink.empty()) {
            throw std::invalid_argument(name + " names no column that links it to level " + std::to_string(parent) +
                                        ".");
        }
        if (levels[parent].DLink.empty()) {
            throw std::invalid_argument(name + " hangs under level " + std::to_string(parent) +
                                        ", which has no identifier column.");
        }
    }
}

}  // namespace

std::string Link_Sep(bool tablePart, std::string_view link) {
    std::size_t point = link.find('.');
    if (tablePart) return std::string(link.substr(0, point));
    return point == std::string_view::npos ? std::string() : wizard::unbracketedName(link.substr(point + 1));
}

std::optional<std::string> UT_Get_List_Imported(wizard::Context& context, bool ciidList,
                                                const std::vector<std::int32_t>& sessions, int structureID,
                                                bool national, std::size_t listLimit, RecordedKeys* keys) {
    std::string sql = std::string(ciidList ? "Select distinct CIIDID as LstWoop From XFRHash where "
                                           : "Select distinct XFRID as LstWoop From XFRHash where ") +
                      db::sessionCondition("importid", sessions) + " and StructureID = " + std::to_string(structureID);
    std::optional<std::string> list = std::string();
    {
        auto rows = context.destination().query(sql);
        while (rows->next()) {
            auto value = rows->text(0);
            if (!value) continue;
            if (keys) keys->add(*value);
            if (!list) continue;
            *list += (national ? "N" : "") + db::charQuoted(*value, '\'') + ", ";
            // The last ", " is taken off below.
            if (list->size() > listLimit + 2) {
                list.reset();
                if (!keys) break;
            }
        }
    }
    if (keys) keys->seal();
    if (list && list->size() >= 3) list->resize(list->size() - 2);
    if (context.Unattended) {
        diag::UT_Write_To_Internal_Log("SQL: " + sql + "\r\n" +
                                       (list ? *list : "(more keys than a statement may list)"));
    }
    return list;
}

std::optional<std::string> UT_Get_Source_Unique_List(db::Connection& connection, const std::string& table,
                                                     const std::string& column, const std::string& fromText,
                                                     bool national, std::size_t listLimit) {
    std::string list;
    // A name that is more than letters and digits keeps its brackets, and so does every name sent
    // to PostgreSQL or MariaDB, whose connections write it in their quotes as the database spells
    // it: PostgreSQL folds a bare name to lower case.
    auto kind = db::sourceDialectOf(connection)->kind();
    bool bare = mapping::isBareName(column) && kind != db::SourceDialect::Kind::PostgreSql &&
                kind != db::SourceDialect::Kind::MySql;
    std::string name = bare ? column : db::bracketQuoted(column);
    auto rows = connection.query("Select " + table + "." + name + " " + fromText);
    while (rows->next()) {
        auto value = rows->text(0);
        if (!value) continue;
        // Compared with XFRHash keys, which are text stored trimmed and without quotes.
        list += (national ? "N" : "") + db::charQuoted(wizard::UT_Remove_Quotes_Value(diag::trimBlanks(*value)), '\'') +
                " , ";
        // The last two characters are taken off below.
        if (list.size() > listLimit + 2) return std::nullopt;
    }
    if (list.size() > 3) list.resize(list.size() - 2);
    return list;
}

std::unique_ptr<TransferWriter> makeTransferWriter(db::Connection& destination, db::DestinationDialect::Kind kind) {
    if (kind == db::DestinationDialect::Kind::Mssql) return std::make_unique<TextTransferWriter>(destination);
    return std::make_unique<PreparedTransferWriter>(destination);
}

bool Write_To_Temp_Table_Hierachy(wizard::Context& context, diag::ErrorReporter& reporter,
                                  ExtractionProgress progress) {
    std::unique_ptr<TransferWriter> writer;
    try {
        db::Connection& destination = context.destination();
        db::Connection& source = context.source();
        auto dialect = db::sourceDialectOf(source);
        writer = makeTransferWriter(destination, context.dialect().kind());
        std::string sourceDatabase = wizard::UT_Get_Connection_Property(source.connectionString(), "Initial Catalog=");
        TransferOptions options{context.KBImport, context.KBCategoryID, context.cboDiscovery,
                                context.chkMakeDefaultEXL, context.GenParent};

        progress.lblRecNumImport.caption = diag::LS(258, reporter);
        const std::string recordsImported = diag::LS(529, reporter);
        int levels = static_cast<int>(context.Gstructures.size()) - 1;
        if (!context.KBImport) checkLevelLinks(context.Gstructures);
        progress.pbOverall.max = levels + 2;
        long total = 0;
        std::vector<TransferValue> values;
        std::vector<int> nesting(levels + 1, 0);
        std::map<int, std::string> parentKeys;
        // An update run knows every item of the session it updates and of the sessions before it.
        std::vector<std::int32_t> chain;
        if (context.UpdateMode >= 1 && context.UpdateMode <= 3) chain = db::sessionChain(destination, context.UpdateImportID);
        for (int i = 1; i <= levels; ++i) {
            progress.pbSave.value = 0;
            progress.pbVerify.value = 0;

            LevelQueryInput input;
            input.level = i;
            input.levels = &context.Gstructures;
            input.combined = combinedFieldOf(destination, i, context.NoBrackets);
            input.ordinaryRows = mappingsOf(destination, levelMappingsSql(i, " and [level] = 1"));
            input.clauses = clausesOf(destination, i);
            input.sourceDatabase = sourceDatabase;
            input.distinct = context.Distinct;
            input.delRoot = context.chkDelRoot;
            input.noBrackets = context.NoBrackets;
            input.dialect = dialect.get();
            int parent = context.Gstructures[i].ULinkID;
            if (i > 1 && parent > 0 && parent < i) {
                nesting[i] = nesting[parent] + 1;
                const wizard::StructureLevel& above = context.Gstructures[parent];
                if (dialect->kind() == db::SourceDialect::Kind::Sqlite && nesting[i] > kSqliteNesting &&
                    !above.DLink.empty() && diag::upperAscii(above.levelQuery).find(" FROM ") != std::string::npos) {
                    if (!parentKeys.count(parent)) parentKeys[parent] = keptParentKeys(source, above, parent);
                    input.parentKeys = parentKeys[parent];
                    nesting[i] = 1;
                }
            }
            diag::stageLap("extraction, level " + std::to_string(i) + " (" + context.Gstructures[i].Name + ")");
            LevelQuery query = composeLevelQuery(input);
            LevelQuery composed = query;  // before an update run restricts it

            wizard::StructureLevel& record = context.Gstructures[i];
            // A child level takes every row of its parent level that the source holds: in an
            // update run a new child of a recorded parent is new all the same.
            std::string levelQuery = query.statement;
            record.noKeysInSource = false;
            record.keylessRows = 0;
            RecordedKeys recordedKeys;
            bool updateRun = context.UpdateMode >= 1 && context.UpdateMode <= 3;
            // Recorded keys too many to list in the statement: the level's rows are read without
            // the restriction and those it would have read are kept here.
            bool keysOnOurSide = false;
            // The not-in-source condition compares with this run's transfer rows of the level.
            bool comparedWithTransfer = false;
            if (updateRun && !record.DLink.empty()) {
                auto count = source.query(keylessCountStatement(query, input));
                record.keylessRows = count->next() ? std::stol(count->value(std::size_t{0}).value_or("0")) : 0;
            }
            if (updateRun) {
                UpdateRestriction restriction;
                restriction.mode = context.UpdateMode;
                restriction.updateImportId = context.UpdateImportID;
                restriction.chain = chain;
                bool mssqlDestination = context.dialect().kind() == db::DestinationDialect::Kind::Mssql;
                // Keys that differ only in case beyond ASCII are one key, as on SQL Server.
                if (!mssqlDestination) restriction.keyCollation = std::string(" COLLATE ") + db::kKeyCollation;
                // Listed while the statement can carry them; kept to compare here in modes 1 and 3.
                restriction.importedList = UT_Get_List_Imported(
                    context, false, chain, i, dialect->kind() == db::SourceDialect::Kind::SqlServer,
                    roomLeft(context.statementLimit,
                             query.statement.size() + normalisedKeyExpression(*dialect, record.DLink).size()),
                    context.UpdateMode == 2 ? nullptr : &recordedKeys);
                keysOnOurSide = context.UpdateMode != 2 && !restriction.importedList;
                if (context.UpdateMode != 2 && !keysOnOurSide) restriction.textKey = isTextKey(source, record.DLink);
                // Rows without a key are still in the source: the items recorded under the
                // empty key have not left it.
                std::size_t conditionRoom = kConditionRoom + db::sessionCondition("xfrhash.ImportID", chain).size();
                std::string emptyKey = record.keylessRows == 0 ? "" : mssqlDestination ? "N''" : "''";
                auto condition = addUpdateRestriction(query, input, restriction, [&](const std::string& fromText) {
                    std::optional<std::string> keys;
                    // Unrestricted, the from text would list keys that were never recorded.
                    if (!keysOnOurSide) {
                        keys = UT_Get_Source_Unique_List(source, Link_Sep(true, record.DLink),
                                                         Link_Sep(false, record.DLink), fromText, mssqlDestination,
                                                         roomLeft(context.statementLimit, conditionRoom));
                    }
                    if (!keys) {
                        comparedWithTransfer = true;
                        return transferKeysStatement(i, emptyKey);
                    }
                    bool recorded = !(restriction.importedList && restriction.importedList->empty());
                    record.noKeysInSource = keys->empty() && recorded;
                    if (!emptyKey.empty()) *keys = keys->empty() ? emptyKey + " " : *keys + ", " + emptyKey + " ";
                    return *keys;
                });
                if (condition) {
                    record.notInSourceCondition = *condition;
                    record.transferRowsCompared.reset();
                }
            }

            diag::UT_Output_Debug("Import=Level:" + std::to_string(i) + " - " + record.Name + " - " + query.statement);
            {
                auto count = source.query("Select count(*) as CT " + query.statement.substr(query.selectEnd));
                progress.pbSave.max = count->next() ? std::stoi(count->value(std::size_t{0}).value_or("0")) : 0;
            }
            std::string levelName = "Level " + std::to_string(i) + " (" + record.Name + ")";
            std::optional<std::string> unlinked;
            if (composed.parentConditionAt != std::string::npos) {
                long linked = progress.pbSave.max;
                if (updateRun) {
                    auto count = source.query("Select count(*) " + composed.statement.substr(composed.selectEnd));
                    linked = count->next() ? countOf(*count, 0) : 0;
                }
                unlinked = unlinkedRows(source, composed, record.DLink, record.ULink, linked, levelName,
                                        "level " + std::to_string(parent) + " (" + context.Gstructures[parent].Name + ")");
            }
            record.levelQuery = levelQuery;

            TransferLayout layout(i, record, aliasedRows(input.ordinaryRows), options);
            auto rows = source.query(query.statement);
            progress.pbVerify.max = progress.pbSave.max;
            layout.bind(*rows);
            writer->beginLevel(layout);
            std::optional<std::size_t> keyField = layout.keyField();
            long levelRows = 0;
            long keyedRowsLeft = 0;   // rows with a key that the recorded keys leave out here
            long recordedRowsRead = 0;  // rows with a key that a list of the recorded keys reads
            record.rowsRead = 0;
            LevelKeys levelKeys;
            CutValues cutValues;
            std::vector<std::size_t> cut;
            while (rows->next()) {
                ++record.rowsRead;
                cut.clear();
                try {
                    layout.values(*rows, values, &cut);
                } catch (const std::overflow_error& error) {
                    // Which row it was, so that the user can put the source right.
                    throw std::overflow_error("level " + std::to_string(i) + " (" + record.Name + "), source key '" +
                                              (values.size() > 1 ? values[1].text : std::string()) + "', " +
                                              error.what());
                }
                if (keysOnOurSide && context.UpdateMode == 1) {
                    // A null key is in no list.
                    if ((keyField && rows->isNull(*keyField)) || !recordedKeys.contains(values[1].text)) {
                        if (!values[1].text.empty()) ++keyedRowsLeft;
                        continue;
                    }
                    ++recordedRowsRead;
                }
                // A row without a key would update whichever item the empty key recorded last, or
                // be added again by every run: an update leaves it out.
                if (updateRun && !record.DLink.empty() && values[1].text.empty()) continue;
                // The source compares keys its own way, the destination without case: a row the
                // source takes for new may still be a recorded item, which adding new only leaves.
                if (context.UpdateMode == 3 && !recordedKeys.empty() && recordedKeys.contains(values[1].text)) {
                    ++keyedRowsLeft;
                    continue;
                }
                writer->write(values);
                levelKeys.add(values[1].text);
                for (std::size_t column : cut) cutValues.add(column, values[1].text, record.rowsRead);
                ++levelRows;
                ++total;
                progress.pbSave.value = static_cast<int>(std::min<long>(levelRows, progress.pbSave.max));
                progress.pbVerify.value = static_cast<int>(std::min<long>(levelRows - 1, progress.pbVerify.max));
                // The count is text: written every few hundred rows, and once the level ends.
                if (total % 256 == 0) progress.lblRecNumImport.caption = recordsImported + std::to_string(total);
                progress.repaint();
            }
            writer->endLevel();
            if (levelRows > 0) progress.lblRecNumImport.caption = recordsImported + std::to_string(total);
            if (keysOnOurSide) {
                diag::UT_Output_Debug("Import=Level:" + std::to_string(i) + " - " + record.Name +
                                      " - recorded keys compared here: " + std::to_string(keyedRowsLeft) +
                                      " keyed rows left out");
                // As the list would have found: none of the recorded keys is in the source.
                if (context.UpdateMode == 1) record.noKeysInSource = recordedRowsRead == 0;
            }
            if (comparedWithTransfer) record.transferRowsCompared = levelRows;
            record.keyFindings = levelKeys.findings(levelName);
            if (unlinked) record.keyFindings.push_back(std::move(*unlinked));
            for (std::string& finding :
                 cutValues.findings(levelName, [&layout](std::size_t column) { return layout.cutColumnName(column); })) {
                record.keyFindings.push_back(std::move(finding));
            }
            rows.reset();
            progress.pbSave.value = progress.pbSave.max;
            progress.pbVerify.value = progress.pbVerify.max;
            ++progress.pbOverall.value;
        }
        diag::stageLap("transfer rows committed and indexed");
        writer->finish();
        std::string index = importStatementsFor(context.dialect().kind()).indexTransferTable();
        if (!index.empty()) destination.execute(index);
        return true;
    } catch (const std::exception& error) {
        try {
            if (writer) writer->abandon();
        } catch (const std::exception&) {
            // the first error is the one to report
        }
        reporter.UT_Report_Error(wizard::errorRecordOf(error), kLocation, "");
        return false;
    }
}

}  // namespace koru::import
