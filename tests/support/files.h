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

// Copies the mapping set `fixture` (its template and table files) from tests/fixtures/mapping into
// `folder` under the name `name`; the template's path.
inline std::string copyMappingSet(const std::string& fixture, const std::filesystem::path& folder,
                                  const std::string& name) {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::directory_iterator(fs::path(KORU_FIXTURES_DIR) / "mapping")) {
        std::string file = entry.path().filename().string();
        if (file.rfind(fixture, 0) != 0) continue;
        fs::copy_file(entry.path(), folder / (name + file.substr(fixture.size())), fs::copy_options::overwrite_existing);
    }
    return (folder / (name + ".xfo")).string();
}

}  // namespace koru::test
