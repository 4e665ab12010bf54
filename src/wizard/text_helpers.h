#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "wizard/controls.h"

namespace koru::wizard {

// Separates the table from the column in a source column key.
inline constexpr std::string_view kKeyMarker = "@--##--@";
// Precedes the mapping row ID in a mapping child node key.
inline constexpr std::string_view kMappingRowMarker = "--MP";

// "[" + name + "]" unless noBrackets; a "]" inside the name is doubled.
std::string UT_Bracket_Name(std::string_view name, bool noBrackets);

// tablePart: the text before the first "."; otherwise the text after it.
std::string UT_Split_Table_Column(bool tablePart, std::string_view qualifiedName);

// Every "'" and then every '"' becomes "`"; the argument is changed too.
std::string UT_Remove_Quotes(std::string& text);
std::string UT_Remove_Quotes_Value(std::string_view text);

void UT_Clean_Combo_Text(ComboBox& combo);

std::string UT_Key_Left(std::string_view key);
std::string UT_Key_Right(std::string_view key);

// The number after the last "--MP"; throws std::invalid_argument when it is not a 16-bit integer.
std::int16_t UT_Mapping_Row_ID(std::string_view key);

// The text with every "[" and "]" taken out.
std::string withoutBrackets(std::string_view text);

// One name as a link holds it, "[Co]]ID]" or bare: the name itself ("Co]ID").
std::string unbracketedName(std::string_view name);

// The text after `name` (which carries its "=") up to the next ";" in a connection string.
std::string UT_Get_Connection_Property(std::string_view connectionString, std::string_view name);

}  // namespace koru::wizard
