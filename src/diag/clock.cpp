#include "diag/clock.h"

#include <ctime>

namespace koru::diag {
namespace {

std::string formatNow(const char* format) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

}  // namespace

std::string shortDate() { return formatNow("%d/%m/%Y"); }
std::string shortTime() { return formatNow("%H:%M:%S"); }
std::string isoDateTime() { return formatNow("%Y-%m-%d %H:%M:%S"); }

}  // namespace koru::diag
