#include "mapping/mapping_file_format.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace koru::mapping {
namespace {

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool isDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

std::string quoted(const Field& field) { return "'" + field.value_or("") + "'"; }

std::string_view valueAfterKey(std::string_view text, std::string_view key, bool& found) {
    std::size_t at = text.find(key);
    found = at != std::string_view::npos;
    if (!found) return {};
    std::size_t start = at + key.size();
    std::size_t end = text.find(';', start);
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The numeric prefix of a text, as the platform's Val reads it ("12abc" is 12, "" is 0).
double leadingNumber(std::string_view text) {
    text = trimBlanks(text);
    std::size_t length = 0;
    if (length < text.size() && (text[length] == '-' || text[length] == '+')) ++length;
    while (length < text.size() && ((text[length] >= '0' && text[length] <= '9') || text[length] == '.')) ++length;
    std::string number(text.substr(0, length));
    if (number.empty() || number == "-" || number == "+") return 0;
    try {
        return std::stod(number);
    } catch (const std::exception&) {
        return 0;
    }
}

std::int64_t wholeNumber(std::string_view text, std::string_view key) {
    auto value = integerColumnValue(text);
    if (!value || text.empty()) throw std::invalid_argument(std::string(key) + " is not a number");
    return *value;
}

std::int16_t smallNumber(std::string_view text, std::string_view key) {
    std::int64_t value = wholeNumber(text, key);
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max()) {
        throw std::invalid_argument(std::string(key) + " is out of range");
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace

std::string Read_From_File(std::string_view line, int n) {
    std::string field = rawField(line, n);
    if (field == "'False'") return "0";
    if (field == "'True'") return "1";
    return field;
}

std::string rawField(std::string_view line, int n) {
    std::size_t start = 0;
    for (int separator = 1; separator < n; ++separator) {
        std::size_t at = line.find(kFieldSeparator, start);
        if (at == std::string_view::npos) return {};
        start = at + kFieldSeparator.size();
    }
    std::size_t end = line.find(kFieldSeparator, start);
    std::size_t length = end == std::string_view::npos ? std::string_view::npos : end - start;
    return std::string(trimBlanks(line.substr(start, length)));
}

std::int16_t UT_Count_TXTFile_Parameters(std::string_view line) {
    std::int16_t count = 1;
    for (std::size_t at = line.find(kFieldSeparator); at != std::string_view::npos;
         at = line.find(kFieldSeparator, at + kFieldSeparator.size())) {
        ++count;
    }
    return count;
}

std::int16_t UT_ParamsOnLine(std::string_view line) { return UT_Count_TXTFile_Parameters(line); }

std::int16_t UT_Find_ComboItem(const wizard::ListBox& list, std::int16_t itemData) {
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        if (list.items[i].itemData == itemData) return static_cast<std::int16_t>(i);
    }
    return -1;
}

std::string upgradeOlderLine(std::string_view line) {
    std::string upgraded(line);
    if (upgraded.find(kFieldSeparator) != std::string::npos) return upgraded;
    for (std::size_t at = upgraded.find(", "); at != std::string::npos; at = upgraded.find(", ", at + 3)) {
        upgraded.replace(at, 2, ",, ");
    }
    return upgraded;
}

std::optional<std::string> fieldValue(std::string_view field, bool bareAllowed) {
    field = trimBlanks(field);
    if (field.size() >= 2 && field.front() == '\'' && field.back() == '\'') {
        std::string_view inside = field.substr(1, field.size() - 2);
        if (inside.find('\'') != std::string_view::npos) return std::nullopt;
        return std::string(inside);
    }
    if (bareAllowed && isDigits(field)) return std::string(field);
    return std::nullopt;
}

std::optional<std::int64_t> integerColumnValue(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty()) return 0;
    if (text == "True" || text == "true" || text == "TRUE") return 1;
    if (text == "False" || text == "false" || text == "FALSE") return 0;
    std::int64_t value = 0;
    const char* first = text.data();
    if (*first == '+') ++first;
    auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string clauseLine(const std::vector<Field>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ",, ";
        line += quoted(fields[i]);
    }
    return line;
}

std::string tableLinkLine(const std::vector<Field>& fields) {
    std::string line;
    for (const Field& field : fields) line += quoted(field) + ",, ";
    return line;
}

std::string structureLine(const std::vector<Field>& fields, std::int16_t styleId) {
    // ID, Name, ULink, DLink, ULinkID, ULinkNumeric, DLinkID: each with its own spacing.
    std::string line = "'" + fields.at(0).value_or("") + " ',, ";
    for (std::size_t i = 1; i <= 4; ++i) line += quoted(fields.at(i)) + ",, ";
    line += fields.at(5) ? quoted(fields[5]) + ",, " : std::string("'',,");
    line += quoted(fields.at(6)) + " ,,";
    line += "'" + std::to_string(styleId) + "'";
    return line;
}

std::string mappingLine(const std::vector<Field>& fields) {
    std::string line = fields.at(0).value_or("");
    for (std::size_t i = 1; i < fields.size(); ++i) line += ",, " + quoted(fields[i]);
    return line;
}

std::string parentFileText(std::int32_t genParent, const std::string& sourceCol, const std::string& destinCol,
                           std::int16_t styleId, int distinct, std::int16_t exlAppLinkId) {
    return "GenParent=" + std::to_string(genParent) + ";" + "SourceCol=" + sourceCol + ";" + "DestinCol=" +
           destinCol + ";" + "StyleID=" + std::to_string(styleId) + ";" + "Distinct=" + std::to_string(distinct) +
           ";" + "EXLAppLinkID=" + std::to_string(exlAppLinkId) + ";";
}

ParentSettings parseParentFile(std::string_view text) {
    ParentSettings settings;
    bool found = false;
    auto required = [&](std::string_view key) {
        std::string_view value = valueAfterKey(text, key, found);
        if (!found) throw std::invalid_argument("the parent settings lack " + std::string(key));
        return value;
    };

    double genParent = std::nearbyint(leadingNumber(required("GenParent=")));  // ties to even
    if (genParent < std::numeric_limits<std::int32_t>::min() || genParent > std::numeric_limits<std::int32_t>::max()) {
        throw std::invalid_argument("GenParent= is out of range");
    }
    settings.GenParent = static_cast<std::int32_t>(genParent);
    settings.SourceCol = std::string(required("SourceCol="));
    settings.DestinCol = std::string(required("DestinCol="));
    std::string_view styleId = required("StyleID=");
    if (!styleId.empty()) settings.StyleID = smallNumber(styleId, "StyleID=");
    settings.Distinct = static_cast<int>(wholeNumber(required("Distinct="), "Distinct="));
    std::string_view exlAppLinkId = valueAfterKey(text, "EXLAppLinkID=", found);
    if (found && !exlAppLinkId.empty()) settings.EXLAppLinkID = smallNumber(exlAppLinkId, "EXLAppLinkID=");
    return settings;
}

}  // namespace koru::mapping
