#include "mapping/mapping_checks.h"

#include <array>

#include "diag/text.h"

namespace koru::mapping {
namespace {

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

bool isNameCharacter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#' || c == '@' || c >= 0x80;
}

// The length of the name at the start of text (bare or bracketed), 0 when there is none.
std::size_t namePrefix(std::string_view text) {
    if (!text.empty() && text.front() == '[') {
        // A "]" of the name is doubled, as bracketQuoted writes it.
        std::size_t close = 1;
        for (; close < text.size(); ++close) {
            if (isControl(static_cast<unsigned char>(text[close]))) return 0;
            if (text[close] != ']') continue;
            if (close + 1 < text.size() && text[close + 1] == ']') {
                ++close;
            } else {
                break;
            }
        }
        if (close >= text.size() || close == 1) return 0;
        return close + 1;
    }
    if (text.empty() || (text.front() >= '0' && text.front() <= '9')) return 0;
    std::size_t length = 0;
    while (length < text.size() && isNameCharacter(static_cast<unsigned char>(text[length])))
        ++length;
    return length;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           diag::upperAscii(std::string(a)) == diag::upperAscii(std::string(b));
}

// "Alpha7" for prefix Alpha and 1 <= 7 <= last, in any case; the product's spelling.
std::optional<std::string> numbered(std::string_view name, std::string_view prefix, int last) {
    if (name.size() <= prefix.size() || !sameIgnoringCase(name.substr(0, prefix.size()), prefix))
        return std::nullopt;
    std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 2 || digits.front() == '0') return std::nullopt;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < 1 || number > last) return std::nullopt;
    return std::string(prefix) + std::string(digits);
}

struct NumberedFields {
    std::string_view prefix;
    int last;
};

bool inList(std::string_view column, std::initializer_list<NumberedFields> numberedFields,
            std::initializer_list<std::string_view> names) {
    for (const NumberedFields& fields : numberedFields) {
        if (numbered(column, fields.prefix, fields.last)) return true;
    }
    for (std::string_view name : names) {
        if (sameIgnoringCase(column, name)) return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> clauseOperator(std::string_view stored) {
    static constexpr std::array<std::string_view, 6> kOperators = {"=",        "<>", "like",
                                                                   "not like", "is", "is not"};
    std::string_view trimmed = diag::trimmedView(stored);
    for (std::string_view op : kOperators) {
        if (sameIgnoringCase(trimmed, op)) return std::string(op);
    }
    return std::nullopt;
}

bool isBareName(std::string_view name) {
    return !name.empty() && name.front() != '[' && namePrefix(name) == name.size();
}

bool isOneName(std::string_view name) {
    return !name.empty() && namePrefix(name) == name.size();
}

bool isLinkColumn(std::string_view link) {
    std::size_t table = namePrefix(link);
    if (table == 0 || table >= link.size() || link[table] != '.') return false;
    return isOneName(link.substr(table + 1));
}

bool isSourceName(std::string_view name, bool noBrackets) {
    if (noBrackets) return isBareName(name);
    if (diag::trimmedView(name).empty()) return false;
    for (unsigned char c : name) {
        // Brackets are safe: a "]" is doubled where the name is bracketed.
        if (isControl(c) || std::string_view("'\"`;(),=<>").find(static_cast<char>(c)) !=
                                std::string_view::npos) {
            return false;
        }
    }
    for (std::string_view comment : {"--", "/*", "*/"}) {
        if (name.find(comment) != std::string_view::npos) return false;
    }
    return true;
}

bool isDestinationTable(std::string_view table) {
    for (std::string_view known : {"CIID", "AssetCiid", "Knowledge", "TEXTSEP"}) {
        if (sameIgnoringCase(table, known)) return true;
    }
    return false;
}

bool isDestinationField(std::string_view table, std::string_view column) {
    if (sameIgnoringCase(table, "TEXTSEP")) return true;
    if (sameIgnoringCase(table, "CIID")) {
        return inList(column, {{"Alpha", 15}, {"Num", 10}}, {"EmailID", "WebID", "Notes"});
    }
    if (sameIgnoringCase(table, "AssetCiid")) {
        return inList(column, {{"Alpha", 5}, {"Num", 5}, {"Date", 5}, {"Curr", 5}},
                      {"AssetID", "CostCentre", "Location", "OriginalPrice", "SalvagePrice",
                       "AcquireDate", "DepPeriod", "DLinkID"});
    }
    if (sameIgnoringCase(table, "Knowledge"))
        return inList(column, {}, {"KBDetails", "KBSummary", "KBReso", "CatID"});
    return false;
}

std::optional<std::string> ciidParentColumn(std::string_view name) {
    name = diag::trimmedView(name);
    for (NumberedFields fields : {NumberedFields{"Alpha", 15}, NumberedFields{"Num", 10}}) {
        if (auto column = numbered(name, fields.prefix, fields.last)) return column;
    }
    for (std::string_view column : {"EmailID", "WebID", "Notes"}) {
        if (sameIgnoringCase(name, column)) return std::string(column);
    }
    return std::nullopt;
}

}  // namespace koru::mapping
