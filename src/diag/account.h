#pragma once

#include <string>

namespace koru::diag {

// The account that runs the program and the machine it runs on; empty when the system does not
// say.
std::string loggedOnUserName();
std::string computerName();

}  // namespace koru::diag
