#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "diag/error_reporter.h"

namespace koru::diag {

// The numbered message text, or nullopt when the program has none with that number.
std::optional<std::string_view> messageText(int number);

// The message text with that number; an unknown number is reported and gives "".
std::string LS(int number, ErrorReporter& reporter);

// The application title used for every message box.
inline constexpr std::string_view kAppTitle = "Veltrane Data Import Utility";

}  // namespace koru::diag
