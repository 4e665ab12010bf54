#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wizard/controls.h"

namespace koru::mapping {

// The table files separate fields with two commas; a field is a value in single quotes.
inline constexpr std::string_view kFieldSeparator = ",,";

// Field n (from 1), trimmed, quotes kept; 'True' and 'False' become "1" and "0".
// A field past the end of the line is empty.
std::string Read_From_File(std::string_view line, int n);
// The same field as written: 'True' and 'False' stay text.
std::string rawField(std::string_view line, int n);

// The number of fields: ",," separators plus one.
std::int16_t UT_Count_TXTFile_Parameters(std::string_view line);
std::int16_t UT_ParamsOnLine(std::string_view line);

// The position of the first entry whose item data is itemData, or -1.
std::int16_t UT_Find_ComboItem(const wizard::ListBox& list, std::int16_t itemData);

// An older line separated its fields with ", ": read it as the current form.
std::string upgradeOlderLine(std::string_view line);

// The value a field stands for: text in single quotes with no quote inside, or, where
// `bareAllowed`, digits written without quotes (the first field of a mapping line).
// Anything else is not a value.
std::optional<std::string> fieldValue(std::string_view field, bool bareAllowed);

// What SQL Server stores when a text reaches an int or bit column: blanks around the number
// are ignored, "" is 0, True / False are 1 / 0. nullopt when the text is not a number.
std::optional<std::int64_t> integerColumnValue(std::string_view text);

// Fields of one line of each table file. A null value is nullopt.
using Field = std::optional<std::string>;

std::string clauseLine(const std::vector<Field>& fields);       // 7 fields
std::string tableLinkLine(const std::vector<Field>& fields);    // 5 fields
// Fields ID, Name, ULink, DLink, ULinkID, ULinkNumeric (already "True"/"False"), DLinkID;
// then the level's StyleID.
std::string structureLine(const std::vector<Field>& fields, std::int16_t styleId);
std::string mappingLine(const std::vector<Field>& fields);      // 6 fields

// The parent settings as the parent file holds them.
struct ParentSettings {
    std::int32_t GenParent = 0;
    std::string SourceCol;
    std::string DestinCol;
    std::optional<std::int16_t> StyleID;       // absent or empty: unchanged
    int Distinct = 0;                          // the structure screen's check box
    std::optional<std::int16_t> EXLAppLinkID;  // absent or empty: unchanged
};

std::string parentFileText(std::int32_t genParent, const std::string& sourceCol,
                           const std::string& destinCol, std::int16_t styleId, int distinct,
                           std::int16_t exlAppLinkId);

// Throws std::invalid_argument naming the problem when a required key is missing or a
// number cannot be read.
ParentSettings parseParentFile(std::string_view text);

}  // namespace koru::mapping
