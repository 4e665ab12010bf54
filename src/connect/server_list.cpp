#include "connect/server_list.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "diag/text_encoding.h"

namespace koru::connect {
namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

}  // namespace

std::vector<std::string> freeTdsServerSections(std::string_view configuration) {
    std::vector<std::string> sections;
    while (!configuration.empty()) {
        std::size_t end = configuration.find('\n');
        std::string_view line = trim(configuration.substr(0, end));
        configuration.remove_prefix(end == std::string_view::npos ? configuration.size() : end + 1);
        if (line.size() < 2 || line.front() != '[' || line.back() != ']') continue;
        std::string name(trim(line.substr(1, line.size() - 2)));
        if (!name.empty() && upper(name) != "GLOBAL") sections.push_back(name);
    }
    return sections;
}

std::vector<std::string> knownSqlServers() {
    std::vector<std::filesystem::path> candidates;
    if (const char* configured = std::getenv("FREETDSCONF"); configured && *configured) {
        candidates.emplace_back(configured);
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        candidates.emplace_back(std::filesystem::path(home) / ".freetds.conf");
    }
    candidates.emplace_back("/etc/freetds/freetds.conf");
    for (const auto& path : candidates) {
        if (auto text = diag::readTextFile(path)) return freeTdsServerSections(*text);
    }
    return {};
}

void Get_Avail_SQL_Servers(wizard::ComboBox& combo, const std::vector<std::string>& servers) {
    for (const std::string& server : servers) {
        std::string name = upper(server);
        if (name == "(LOCAL)" || combo.indexOf(name) >= 0) continue;
        combo.addItem(name);
    }
}

std::string UT_Get_Connection_Property(std::string_view connectionString, std::string_view name) {
    std::size_t at = connectionString.find(name);
    if (at == std::string_view::npos || name.empty()) return {};
    std::size_t start = at + name.size();
    std::size_t end = connectionString.find(';', start);
    return std::string(connectionString.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

}  // namespace koru::connect
