#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace koru::mapping {

// What a mapping may hold where its text reaches SQL. Mapping files travel between
// administrators, so a loaded mapping is held to what the editors write.

// The operator of a data clause as the clause dialog writes it ("=", "<>", "like", "not like",
// "is", "is not"), read trimmed and in any case; nullopt for anything else.
std::optional<std::string> clauseOperator(std::string_view stored);

// A name written without quoting: letters, digits, _ $ # @ and non-ASCII characters, not
// starting with a digit.
bool isBareName(std::string_view name);

// One name, bare or in square brackets; inside brackets anything but control characters, a "]"
// doubled.
bool isOneName(std::string_view name);

// table.column of a level link (ULink, DLink), each part one name: [Contacts].[CoID],
// Contacts.CoID.
bool isLinkColumn(std::string_view link);

// A source table or column name as the mapping stores it, unquoted. Where names are bracketed
// when used it may hold blanks and most punctuation, but nothing that could end the brackets, a
// literal or the statement; where they are not (noBrackets) it must be a bare name.
bool isSourceName(std::string_view name, bool noBrackets);

// CIID, AssetCiid, Knowledge or TEXTSEP (a separator row), in any case.
bool isDestinationTable(std::string_view table);

// Whether DestinTable.DestinColumn is a field the editor maps to, in any case; a "TEXTSEP" row
// carries its separator in DestinColumn instead.
bool isDestinationField(std::string_view table, std::string_view column);

// The CIID column a parent-matching setting names, spelled as the product spells it (Alpha1 to
// Alpha15, Num1 to Num10, EmailID, WebID, Notes); any case and surrounding blanks are accepted.
std::optional<std::string> ciidParentColumn(std::string_view name);

}  // namespace koru::mapping
