#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

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

// Every statement equals its fixture row, and every statement has one.
inline void expectStatementFixture(const std::string& fixture, const std::map<std::string, std::string>& actual) {
    std::map<std::string, std::string> expected = loadStatementFixture(fixture);
    for (const auto& [name, text] : expected) {
        auto found = actual.find(name);
        if (found == actual.end()) {
            ADD_FAILURE() << "no statement " << name;
            continue;
        }
        EXPECT_EQ(found->second, text) << name;
    }
    for (const auto& [name, text] : actual) {
        EXPECT_TRUE(expected.count(name)) << "statement without a fixture: " << name;
    }
}

// Statements named prefix.1, prefix.2, ...
inline void addNumbered(std::map<std::string, std::string>& named, const std::string& prefix,
                        const std::vector<std::string>& statements) {
    for (std::size_t i = 0; i < statements.size(); ++i) named[prefix + "." + std::to_string(i + 1)] = statements[i];
}

}  // namespace koru::test
