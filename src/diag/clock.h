#pragma once

#include <string>

namespace koru::diag {

// Fixed date and time formats shared by the logs and saved error reports, so that they do
// not depend on the machine's locale.
std::string shortDate();
std::string shortTime();
// yyyy-mm-dd hh:mm:ss, local time.
std::string isoDateTime();

}  // namespace koru::diag
