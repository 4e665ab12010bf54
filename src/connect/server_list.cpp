#include "connect/server_list.h"

#include "diag/text.h"

namespace koru::connect {
namespace {

}  // namespace

void Get_Avail_SQL_Servers(wizard::ComboBox& combo, const std::vector<std::string>& servers) {
    for (const std::string& server : servers) {
        std::string name = diag::upperAscii(server);
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
