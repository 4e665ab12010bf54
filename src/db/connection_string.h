#pragma once

#include <string>
#include <string_view>

namespace koru::db {

// The connection string with the value of every password key (Password, PWD) replaced by
// "*****", whatever its quoting; everything else is kept as it stands.
std::string maskPasswords(std::string_view connectionString);

}  // namespace koru::db
