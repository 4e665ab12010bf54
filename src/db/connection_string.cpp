#include "db/connection_string.h"

#include <algorithm>
#include <cctype>

namespace koru::db {
namespace {

std::string trimmedLower(std::string_view text) {
    auto begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return {};
    auto end = text.find_last_not_of(" \t");
    std::string key(text.substr(begin, end - begin + 1));
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

// End (exclusive) of a value starting at `start`: a quoted or braced value runs to its
// closing mark (a doubled mark stands for one), anything else to the next ';'.
std::size_t valueEnd(std::string_view text, std::size_t start) {
    std::size_t i = start;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && (text[i] == '\'' || text[i] == '"' || text[i] == '{')) {
        char close = text[i] == '{' ? '}' : text[i];
        for (std::size_t k = i + 1; k < text.size(); ++k) {
            if (text[k] != close) continue;
            if (k + 1 < text.size() && text[k + 1] == close) {
                ++k;
                continue;
            }
            std::size_t semicolon = text.find(';', k + 1);
            return semicolon == std::string_view::npos ? text.size() : semicolon;
        }
        return text.size();  // unbalanced: the rest of the string belongs to this value
    }
    std::size_t semicolon = text.find(';', start);
    return semicolon == std::string_view::npos ? text.size() : semicolon;
}

}  // namespace

std::string maskPasswords(std::string_view text) {
    std::string masked;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t equals = text.find('=', pos);
        std::size_t semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < equals)) {
            std::size_t end = semicolon == std::string_view::npos ? text.size() : semicolon + 1;
            masked.append(text.substr(pos, end - pos));
            pos = end;
            continue;
        }
        std::string key = trimmedLower(text.substr(pos, equals - pos));
        std::size_t end = valueEnd(text, equals + 1);
        masked.append(text.substr(pos, equals + 1 - pos));
        if (key == "password" || key == "pwd") {
            masked.append("*****");
        } else {
            masked.append(text.substr(equals + 1, end - equals - 1));
        }
        if (end < text.size()) masked += ';';
        pos = end + 1;
    }
    return masked;
}

}  // namespace koru::db
