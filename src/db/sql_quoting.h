#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace koru::db {

// [name] with ']' doubled, as SQL Server and Access quote.
inline std::string bracketQuoted(std::string_view name) {
    std::string quoted = "[";
    for (char c : name) {
        quoted += c;
        if (c == ']') quoted += ']';
    }
    return quoted + "]";
}

// The name between two `quote` characters with `quote` doubled inside ("a""b", `a``b`).
inline std::string charQuoted(std::string_view name, char quote) {
    std::string quoted(1, quote);
    for (char c : name) {
        quoted += c;
        if (c == quote) quoted += quote;
    }
    return quoted + quote;
}

// Mapping files and the screens write names as SQL Server quotes them, [name] with "]" doubled
// inside. This gives each such name outside literals to `quoted`, which writes it as another
// source reads it; `onlyDoubled`: only names holding "]".
template <typename Quote>
std::string withBracketNamesRewritten(std::string_view sql, const Quote& quoted, bool onlyDoubled) {
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] == '\'' || sql[i] == '"' || sql[i] == '`') {
            std::size_t end = sql.find(sql[i], i + 1);
            while (end != std::string_view::npos && end + 1 < sql.size() && sql[end + 1] == sql[i]) {
                end = sql.find(sql[i], end + 2);
            }
            if (end == std::string_view::npos) break;
            i = end;
        } else if (sql[i] == '[') {
            std::string name;
            std::size_t end = i + 1;
            bool doubled = false;
            for (; end < sql.size(); ++end) {
                if (sql[end] != ']') {
                    name += sql[end];
                } else if (end + 1 < sql.size() && sql[end + 1] == ']') {
                    name += ']';
                    doubled = true;
                    ++end;
                } else {
                    break;
                }
            }
            if (end >= sql.size()) break;
            if (doubled || !onlyDoubled) {
                out.append(sql.substr(copied, i - copied));
                out += quoted(name);
                copied = end + 1;
            }
            i = end;
        }
    }
    if (copied == 0) return std::string(sql);
    out.append(sql.substr(copied));
    return out;
}

// SQLite reads [name] but not a "]" doubled inside it: such names become `name`, which SQLite
// always takes for a name.
inline std::string withSqliteBracketNames(std::string_view sql) {
    return withBracketNamesRewritten(sql, [](const std::string& name) { return charQuoted(name, '`'); }, true);
}

// Table links are stored and joined as bare table.column, which SQL Server matches without case
// but PostgreSQL folds to lower case. Each bare `table.column` outside literals and brackets whose
// table `isTable` knows is given to `quoted` (table, column), which writes it as the source reads it.
template <typename IsTable, typename Quote>
std::string withBareColumnReferencesRewritten(std::string_view sql, const IsTable& isTable, const Quote& quoted) {
    auto identifierStart = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
    auto identifierPart = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; };
    auto identifierEnd = [&](std::size_t from) {
        while (from < sql.size() && identifierPart(sql[from])) ++from;
        return from;
    };
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            char close = c == '[' ? ']' : c;
            std::size_t end = sql.find(close, i + 1);
            while (end != std::string_view::npos && end + 1 < sql.size() && sql[end + 1] == close) {
                end = sql.find(close, end + 2);
            }
            if (end == std::string_view::npos) break;
            i = end;
        } else if (identifierStart(c) && (i == 0 || !(identifierPart(sql[i - 1]) || sql[i - 1] == '.'))) {
            std::size_t tableEnd = identifierEnd(i);
            bool qualified = tableEnd + 1 < sql.size() && sql[tableEnd] == '.' && identifierStart(sql[tableEnd + 1]);
            std::string table(sql.substr(i, tableEnd - i));
            if (qualified && isTable(table)) {
                std::size_t columnEnd = identifierEnd(tableEnd + 1);
                out.append(sql.substr(copied, i - copied));
                out += quoted(table, std::string(sql.substr(tableEnd + 1, columnEnd - tableEnd - 1)));
                copied = columnEnd;
                i = columnEnd - 1;
            } else {
                i = tableEnd - 1;
            }
        }
    }
    if (copied == 0) return std::string(sql);
    out.append(sql.substr(copied));
    return out;
}

// The expressions with `separator` between them.
template <typename Strings>
std::string joined(const Strings& parts, std::string_view separator) {
    std::string text;
    for (const auto& part : parts) {
        if (!text.empty()) text += separator;
        text += part;
    }
    return text;
}

}  // namespace koru::db
