#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace koru::diag {

bool isValidUtf8(std::string_view bytes);

// One code point (below 0x110000) appended in UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

std::string windows1252ToUtf8(std::string_view bytes);

// Text files are written in UTF-8; bytes that are not valid UTF-8 come from the Windows
// version of the program and are read as Windows-1252. A leading byte-order mark is dropped.
std::string decodeText(std::string_view bytes);

// The whole file, decoded; nullopt when it cannot be read.
std::optional<std::string> readTextFile(const std::filesystem::path& path);

}  // namespace koru::diag
