#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/source_dialect.h"
#include "mapping/mapping_repository.h"
#include "wizard/structure_level.h"

namespace koru::import {

// One row of XFRClause as the statement uses it.
struct DataClause {
    std::string sourceTable;
    std::string sourceColumn;
    std::string op;  // as stored: fixed width, trimmed when used
    std::string criteria;
    bool orClause = false;
};

// Two source columns joined by a separator into the level's name.
struct CombinedField {
    std::string first;  // [table].[column] and a blank
    std::string separator;
    std::string second;
};

// Everything one level's source statement is made of.
struct LevelQueryInput {
    int level = 1;
    const std::vector<wizard::StructureLevel>* levels = nullptr;  // Gstructures, index 0 unused
    std::vector<mapping::ColumnMapping> ordinaryRows;             // level 1 rows, in reading order
    std::optional<CombinedField> combined;
    std::vector<DataClause> clauses;  // in ascending order
    std::string sourceDatabase;       // the source's catalogue name
    bool distinct = false;
    bool delRoot = false;
    bool noBrackets = false;
    const db::SourceDialect* dialect = nullptr;
    // A statement listing the parent level's keys, used instead of nesting the parent's own
    // statement: empty to nest it.
    std::string parentKeys;
};

// A level's statement and the two places where its lists end.
struct LevelQuery {
    std::string statement;
    std::size_t selectEnd = 0;  // the end of the select list
    std::size_t fromEnd = 0;    // the end of the from list
    // Where the condition that the up-link names a parent row stands; npos for a top level.
    std::size_t parentConditionAt = std::string::npos;
    std::size_t parentConditionEnd = std::string::npos;
};

// Select list, from list, data clauses and structure conditions of one level.
LevelQuery composeLevelQuery(const LevelQueryInput& input);

// The level's statement from its from list on, without the condition that the up-link names a
// parent row: what it reads and leaves out for want of a parent. Empty for a top level.
std::string withoutParentCondition(const LevelQuery& query);

// How an update run restricts a level to the items of the session it updates.
struct UpdateRestriction {
    int mode = 0;                     // 1 update data, 2 update + new, 3 add new only
    std::int32_t updateImportId = 0;
    std::vector<std::int32_t> chain;  // the session and those it updated; empty: that session alone
    // The keys those sessions recorded: 'a', 'b'; nullopt when too many for a source statement,
    // and the run compares them on its side instead (modes 1 and 3 then restrict nothing here).
    std::optional<std::string> importedList = std::string();
    std::string keyCollation;         // how the destination compares keys, where it must be said
    bool textKey = true;              // the identifier column holds text
};

// Adds the update restriction to the statement and returns the level's new not-in-source
// condition (nullopt: mode 0 or 3, the condition stays as it was). `uniqueList` gives what the
// recorded keys must not be in for a from text: the source's keys as a list, or a statement.
std::optional<std::string> addUpdateRestriction(
    LevelQuery& query, const LevelQueryInput& input, const UpdateRestriction& restriction,
    const std::function<std::string(const std::string& fromText)>& uniqueList);

// The keys the run wrote to the transfer table for a level, as a statement the not-in-source
// condition compares with when the source's keys are too many to list. `emptyKey` ('' or N''),
// when given, stands for the rows without a key, which are still in the source.
std::string transferKeysStatement(int level, const std::string& emptyKey);

// Counts the level's rows without a key (null or blank) in its statement before the update
// restriction: an update run cannot tell which item such a row is.
std::string keylessCountStatement(const LevelQuery& query, const LevelQueryInput& input);

// The source key as XFRHash stores it: trimmed, quotes replaced by backquotes.
std::string normalisedKeyExpression(const db::SourceDialect& dialect, const std::string& column);

}  // namespace koru::import
