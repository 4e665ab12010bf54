#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace koru::db {

// The server section names of a FreeTDS configuration text, [global] left out, in file order.
std::vector<std::string> freeTdsServerSections(std::string_view configuration);

// The servers named in the FreeTDS configuration this machine uses: $FREETDSCONF, else
// ~/.freetds.conf, else /etc/freetds/freetds.conf.
std::vector<std::string> freeTdsServers();

}  // namespace koru::db
