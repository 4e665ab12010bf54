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


}  // namespace koru::connect
