#include "db/freetds_config.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "diag/text_encoding.h"

namespace koru::db {
namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

bool isGlobal(std::string_view name) {
    if (name.size() != 6) return false;
    for (std::size_t i = 0; i < 6; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != "global"[i]) return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> freeTdsServerSections(std::string_view configuration) {
    std::vector<std::string> sections;
    while (!configuration.empty()) {
        std::size_t end = configuration.find('\n');
        std::string_view line = trim(configuration.substr(0, end));
        configuration.remove_prefix(end == std::string_view::npos ? configuration.size() : end + 1);
        if (line.size() < 2 || line.front() != '[' || line.back() != ']') continue;
        std::string_view name = trim(line.substr(1, line.size() - 2));
        if (!name.empty() && !isGlobal(name)) sections.emplace_back(name);
    }
    return sections;
}

std::vector<std::string> freeTdsServers() {
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

}  // namespace koru::db
