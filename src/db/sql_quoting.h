#pragma once

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
