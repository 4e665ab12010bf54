#include "import/level_query.h"

#include <stdexcept>

#include "db/import_sessions.h"
#include "db/sql_quoting.h"
#include "diag/text.h"
#include "mapping/mapping_checks.h"
#include "wizard/text_helpers.h"

namespace koru::import {
namespace {

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool occursAfter(const std::string& statement, std::size_t position, const std::string& text) {
    return statement.find(text, position) != std::string::npos;
}

std::string connectorAfter(const std::string& statement, std::size_t fromEnd) {
    return lower(statement).find("where", fromEnd) != std::string::npos ? " and " : " Where ";
}

}  // namespace


std::string normalisedKeyExpression(const db::SourceDialect& dialect, const std::string& column) {
    return "replace(replace(" + dialect.trim(column) + ", '''', '`'), '\"', '`')";
}

LevelQuery composeLevelQuery(const LevelQueryInput& input) {
    const wizard::StructureLevel& record = (*input.levels)[input.level];
    auto bracket = [&](const std::string& name) {
        // Without brackets a name stands as it is in the statement: it must be no more than a name.
        if (input.noBrackets && !mapping::isBareName(name)) {
            throw std::invalid_argument("The source takes names without brackets; not a name: " + name);
        }
        return wizard::UT_Bracket_Name(name, input.noBrackets);
    };
    for (const std::string* link : {&record.DLink, &record.ULink}) {
        if (!link->empty() && !mapping::isLinkColumn(*link)) {
            throw std::invalid_argument("Not a source column written as table.column: " + *link);
        }
    }
    bool kestrix = diag::upperAscii(input.sourceDatabase) == "KESTRIX";
    LevelQuery query;
    std::string& sql = query.statement;

    sql = input.distinct ? "Select distinct " : "Select ";
    int k = 1;
    for (const mapping::ColumnMapping& row : input.ordinaryRows) {
        if (!row.sourceTable || row.sourceTable->empty()) continue;
        std::string t = bracket(*row.sourceTable);
        std::string c = bracket(row.sourceColumn.value_or(""));
        std::string alias = " as XFR" + std::to_string(k) + " , ";
        if (diag::upperAscii(row.destinTable) == "CIID" && diag::upperAscii(row.destinColumn) == "ALPHA1" &&
            input.combined) {
            const CombinedField& field = *input.combined;
            sql += input.dialect->concat({input.dialect->trim(field.first), db::charQuoted(field.separator, '\''),
                                          input.dialect->trim(field.second)}) +
                   alias;
        } else if (kestrix && diag::upperAscii(row.sourceColumn.value_or("")) == "GENERATION_PHONEBOOK") {
            sql += input.dialect->right(t + "." + c, 35) + alias;
        } else {
            sql += t + "." + c + alias;
        }
        ++k;
    }
    if (!record.DLink.empty()) sql += record.DLink + ", ";
    if (!record.ULink.empty()) sql += record.ULink + ", ";
    sql.resize(sql.size() - 2);
    query.selectEnd = sql.size();

    sql += " From ";
    std::vector<std::string> mappedTables;
    for (const mapping::ColumnMapping& row : input.ordinaryRows) {
        if (!row.sourceTable || row.sourceTable->empty()) continue;
        std::string t = bracket(*row.sourceTable);
        if (!occursAfter(sql, query.selectEnd, t + ", ")) {
            sql += t + ", ";
            mappedTables.push_back(t);
        }
    }
    if (kestrix) sql += bracket("TopScan") + ", ";
    for (const std::string* link : {&record.DLink, &record.ULink}) {
        if (link->empty()) continue;
        std::string table = wizard::UT_Split_Table_Column(true, *link);
        if (!occursAfter(sql, query.selectEnd, table)) sql += table + ", ";
    }
    sql.resize(sql.size() - 2);
    query.fromEnd = sql.size();

    if (!input.clauses.empty()) {
        sql += " Where (";
        bool first = true;
        for (const DataClause& clause : input.clauses) {
            std::string value =
                diag::upperAscii(clause.criteria) == "NULL" ? clause.criteria : db::charQuoted(clause.criteria, '\'');
            if (!mapping::clauseOperator(clause.op)) {
                throw std::invalid_argument("Not a data clause operator: " + clause.op);
            }
            if (!first) sql += clause.orClause ? " or " : " and ";
            first = false;
            sql += bracket(clause.sourceTable) + "." + bracket(clause.sourceColumn) + " " +
                   diag::trimBlanks(clause.op) + " " + value;
        }
        sql += " ) ";
    }

    if (input.delRoot && input.level > 1) sql += connectorAfter(sql, query.fromEnd) + record.ULink + " is not null";
    if (input.level > 1) {
        sql += connectorAfter(sql, query.fromEnd);
        const wizard::StructureLevel* parent = record.ULinkID > 0 && record.ULinkID < static_cast<int>(input.levels->size())
                                                   ? &(*input.levels)[record.ULinkID]
                                                   : nullptr;
        std::string parentQuery = parent ? parent->levelQuery : std::string();
        std::size_t from = lower(parentQuery).find(" from ");
        query.parentConditionAt = sql.size();
        if (parent && !input.parentKeys.empty()) {
            sql += record.ULink + " in (" + input.parentKeys + ")";
        } else if (parentQuery.size() < 4 || from == std::string::npos) {
            sql += record.ULink + " in ('')";
        } else {
            sql += record.ULink + " in (" + "SELECT " + parent->DLink + " " + parentQuery.substr(from) + ")";
        }
        query.parentConditionEnd = sql.size();
    }
    if (!record.joinCondition.empty()) sql += connectorAfter(sql, query.fromEnd) + record.joinCondition;
    if (kestrix) {
        for (const std::string& table : mappedTables) {
            std::string upper = diag::upperAscii(table);
            if (upper == "SCANSCHEDULE" || upper == "[SCANSCHEDULE]") continue;
            sql += connectorAfter(sql, query.fromEnd) + "TopScan.PCName = " + table +
                   ".PCName And TopScan.TKScanDate = " + table + ".TKScanDate ";
        }
    }
    return query;
}

std::string transferKeysStatement(int level, const std::string& emptyKey) {
    return "select XFRID from XFRTransfer where StructureID = " + std::to_string(level) +
           (emptyKey.empty() ? "" : " union all select " + emptyKey);
}

std::string keylessCountStatement(const LevelQuery& query, const LevelQueryInput& input) {
    const std::string& key = (*input.levels)[input.level].DLink;
    const std::string& sql = query.statement;
    return "Select count(*) as NoKey " + sql.substr(query.selectEnd) + connectorAfter(sql, query.fromEnd) + "(" + key +
           " is null or " + input.dialect->trim(key) + " = '')";
}

std::string withoutParentCondition(const LevelQuery& query) {
    if (query.parentConditionAt == std::string::npos) return {};
    const std::string& sql = query.statement;
    // A condition always true keeps the connectors around it as they were.
    return sql.substr(query.selectEnd, query.parentConditionAt - query.selectEnd) + "1 = 1" +
           sql.substr(query.parentConditionEnd);
}

std::optional<std::string> addUpdateRestriction(
    LevelQuery& query, const LevelQueryInput& input, const UpdateRestriction& restriction,
    const std::function<std::string(const std::string& fromText)>& uniqueList) {
    if (restriction.mode < 1 || restriction.mode > 3) return std::nullopt;
    const wizard::StructureLevel& record = (*input.levels)[input.level];
    std::string& sql = query.statement;
    std::string connector = connectorAfter(sql, query.fromEnd);
    sql += connector;
    // Taking the connector back removes 7 characters of " Where " but 4 of " and ", leaving its
    // first blank, as the statement has always read.
    std::size_t connectorBack = connector == " Where " ? 7 : 4;
    // The session's keys are stored trimmed and without quotes; a text key is compared so.
    std::string key = restriction.textKey ? normalisedKeyExpression(*input.dialect, record.DLink) : record.DLink;

    auto notInSource = [&]() -> std::string {
        std::size_t from = sql.find(" From ");
        std::string fromText = from == std::string::npos ? std::string() : sql.substr(from + 1);
        std::string values = uniqueList(fromText);
        if (values.empty()) return {};
        std::vector<std::int32_t> sessions =
            restriction.chain.empty() ? std::vector<std::int32_t>{restriction.updateImportId} : restriction.chain;
        return "inner join xfrhash on xfrhash.ciidid = ciid.id Where " + db::sessionCondition("xfrhash.ImportID", sessions) +
               " and xfrhash.structureid = " +
               std::to_string(input.level) + " and xfrhash.xfrid" + restriction.keyCollation + " not in (" + values + ")";
    };

    switch (restriction.mode) {
        case 1:
            if (!restriction.importedList) {
                sql.resize(sql.size() - connectorBack);
                return notInSource();
            }
            // No recorded items: nothing of this level is updated.
            sql += restriction.importedList->empty() ? "1 = 0" : key + " in (" + *restriction.importedList + ")";
            return notInSource();
        case 2:
            sql.resize(sql.size() - connectorBack);
            if (record.DLink.empty()) return std::string();
            return notInSource();
        default:
            if (!restriction.importedList || restriction.importedList->empty()) {
                // nothing recorded: everything is new; too many to list: the run compares them itself
                sql.resize(sql.size() - connectorBack);
            } else {
                sql += key + " not in (" + *restriction.importedList + ")";
            }
            return std::nullopt;
    }
}

}  // namespace koru::import
