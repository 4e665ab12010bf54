#pragma once

#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace koru::test {

// Expected statements, one per line: name TAB text, with "\r\n" written for a line break and
// "\n" for a bare line feed.
inline std::map<std::string, std::string> loadStatementFixture(const std::string& name) {
    std::string path = std::string(KORU_FIXTURES_DIR) + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("missing fixture " + path);
    std::map<std::string, std::string> statements;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos) throw std::runtime_error("bad fixture line: " + line);
        std::string text = line.substr(tab + 1);
        for (std::size_t at; (at = text.find("\\r\\n")) != std::string::npos;) text.replace(at, 4, "\r\n");
        for (std::size_t at; (at = text.find("\\n")) != std::string::npos;) text.replace(at, 2, "\n");
        if (!statements.emplace(line.substr(0, tab), text).second) {
            throw std::runtime_error("fixture names a statement twice: " + line.substr(0, tab));
        }
    }
    return statements;
}

}  // namespace koru::test
