#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "wizard/controls.h"
#include "wizard/text_helpers.h"

namespace koru::connect {

// Appends the names upper-cased, skipping "(LOCAL)" and names the list already has.
void Get_Avail_SQL_Servers(wizard::ComboBox& combo, const std::vector<std::string>& servers);

// The value of one property in a connection string: from just after the first occurrence
// of `name` (exact case) to the next ";"; empty when the name does not occur.
using wizard::UT_Get_Connection_Property;

}  // namespace koru::connect
