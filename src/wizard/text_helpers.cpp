#include "wizard/text_helpers.h"

#include "db/sql_quoting.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace koru::wizard {

std::string UT_Bracket_Name(std::string_view name, bool noBrackets) {
    // A "]" inside is doubled: the quoting SQL Server and SQLite read back as one "]".
    return noBrackets ? std::string(name) : db::bracketQuoted(name);
}

std::string UT_Split_Table_Column(bool tablePart, std::string_view qualifiedName) {
    std::size_t point = qualifiedName.find('.');
    if (point == std::string_view::npos) return tablePart ? std::string(qualifiedName) : std::string{};
    return std::string(tablePart ? qualifiedName.substr(0, point) : qualifiedName.substr(point + 1));
}

std::string UT_Remove_Quotes(std::string& text) {
    std::replace(text.begin(), text.end(), '\'', '`');
    std::replace(text.begin(), text.end(), '"', '`');
    return text;
}

std::string UT_Remove_Quotes_Value(std::string_view text) {
    std::string copy(text);
    return UT_Remove_Quotes(copy);
}

void UT_Clean_Combo_Text(ComboBox& combo) {
    int caret = combo.selStart;
    UT_Remove_Quotes(combo.text);
    combo.selStart = caret;
}

std::string UT_Key_Left(std::string_view key) {
    std::size_t marker = key.find(kKeyMarker);
    return std::string(marker == std::string_view::npos ? key : key.substr(0, marker));
}

std::string UT_Key_Right(std::string_view key) {
    std::size_t marker = key.find(kKeyMarker);
    if (marker == std::string_view::npos) return {};
    return std::string(key.substr(marker + kKeyMarker.size()));
}

std::int16_t UT_Mapping_Row_ID(std::string_view key) {
    std::size_t marker = key.rfind(kMappingRowMarker);
    if (marker == std::string_view::npos) {
        throw std::invalid_argument("no mapping row in key " + std::string(key));
    }
    std::string_view digits = key.substr(marker + kMappingRowMarker.size());
    while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
    while (!digits.empty() && digits.back() == ' ') digits.remove_suffix(1);
    std::int16_t id = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    if (ec != std::errc{} || end != digits.data() + digits.size() || digits.empty()) {
        throw std::invalid_argument("bad mapping row in key " + std::string(key));
    }
    return id;
}

std::string withoutBrackets(std::string_view text) {
    std::string bare;
    for (char c : text) {
        if (c != '[' && c != ']') bare += c;
    }
    return bare;
}

std::string unbracketedName(std::string_view name) {
    if (name.size() < 2 || name.front() != '[' || name.back() != ']') return withoutBrackets(name);
    std::string_view inside = name.substr(1, name.size() - 2);
    std::string bare;
    for (std::size_t i = 0; i < inside.size(); ++i) {
        bare += inside[i];
        if (inside[i] == ']' && i + 1 < inside.size() && inside[i + 1] == ']') ++i;
    }
    return bare;
}

std::string UT_Get_Connection_Property(std::string_view connectionString, std::string_view name) {
    std::size_t at = connectionString.find(name);
    if (at == std::string_view::npos || name.empty()) return {};
    std::size_t start = at + name.size();
    std::size_t end = connectionString.find(';', start);
    return std::string(connectionString.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

}  // namespace koru::wizard
