#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "wizard/controls.h"

namespace koru::connect {

// Appends the names upper-cased, skipping "(LOCAL)" and names the list already has.
void Get_Avail_SQL_Servers(wizard::ComboBox& combo, const std::vector<std::string>& servers);

// The value of one property in a connection string: from just after the first occurrence
// of `name` (exact case) to the next ";"; empty when the name does not occur.
std::string UT_Get_Connection_Property(std::string_view connectionString, std::string_view name);

}  // namespace koru::connect
