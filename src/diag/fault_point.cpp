#include "diag/fault_point.h"

#include <csignal>
#include <cstdlib>
#include <optional>

#include "diag/text.h"

namespace koru::diag {
namespace {

struct Fault {
    int signal;
    std::string stage;
};

std::optional<Fault> faultOfEnvironment() {
    const char* value = std::getenv("KORU_FAULT_AT");
    if (!value) return std::nullopt;
    std::string text = value;
    std::size_t colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    int signal = std::atoi(text.substr(0, colon).c_str());
    if (signal <= 0) return std::nullopt;
    return Fault{signal, trimBlanks(text.substr(colon + 1))};
}

}  // namespace

void faultPoint(std::string_view stage) {
    static const std::optional<Fault> fault = faultOfEnvironment();
    if (fault && trimBlanks(stage) == fault->stage) std::raise(fault->signal);
}

}  // namespace koru::diag
