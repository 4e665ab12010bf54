#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace koru::diag {

// Blanks removed at both ends, as the platform's Trim does (spaces only).
inline std::string_view trimmedView(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

inline std::string trimBlanks(std::string_view text) { return std::string(trimmedView(text)); }

// ASCII letters in upper case, everything else as it is.
inline std::string upperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The number of characters of UTF-8 text.
inline std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80;
    return count;
}

// The first `count` characters of UTF-8 text, never cutting inside a character.
inline std::string_view leftView(std::string_view text, std::size_t count) {
    std::size_t position = 0;
    for (std::size_t taken = 0; position < text.size() && taken < count; ++taken) {
        ++position;
        while (position < text.size() && (static_cast<unsigned char>(text[position]) & 0xC0) == 0x80) ++position;
    }
    return text.substr(0, position);
}

inline std::string leftChars(std::string_view text, std::size_t count) { return std::string(leftView(text, count)); }

// The last `count` characters of UTF-8 text.
inline std::string rightChars(std::string_view text, std::size_t count) {
    std::size_t position = text.size();
    for (std::size_t taken = 0; position > 0 && taken < count; ++taken) {
        --position;
        while (position > 0 && (static_cast<unsigned char>(text[position]) & 0xC0) == 0x80) --position;
    }
    return std::string(text.substr(position));
}

}  // namespace koru::diag
