#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace koru::diag {

// Blanks removed at both ends, as the platform's Trim does (spaces only).
inline std::string trimBlanks(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    return std::string(text.substr(begin, text.find_last_not_of(' ') - begin + 1));
}

// ASCII letters in upper case, everything else as it is.
inline std::string upperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace koru::diag
