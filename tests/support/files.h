#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace koru::test {

// A file's bytes as they are on disk.
inline std::string rawFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace koru::test
