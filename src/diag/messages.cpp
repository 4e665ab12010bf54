#include "diag/messages.h"

#include <algorithm>
#include <array>
#include <utility>

namespace koru::diag {
namespace {

struct NumberedText {
    int number;
    std::string_view text;
};

constexpr NumberedText kTexts[] = {
#include "diag/message_texts.inc"
};

constexpr bool sortedByNumber() {
    for (std::size_t i = 1; i < std::size(kTexts); ++i) {
        if (kTexts[i - 1].number >= kTexts[i].number) return false;
    }
    return true;
}
static_assert(sortedByNumber(), "message texts must be sorted by number, each once");

}  // namespace

std::optional<std::string_view> messageText(int number) {
    auto found = std::lower_bound(std::begin(kTexts), std::end(kTexts), number,
                                  [](const NumberedText& t, int n) { return t.number < n; });
    if (found == std::end(kTexts) || found->number != number) return std::nullopt;
    return found->text;
}

std::string LS(int number, ErrorReporter& reporter) {
    if (auto text = messageText(number)) return std::string(*text);
    // 326 is the platform's "resource not found" error.
    reporter.UT_Report_Error(
        ErrorRecord{326, "Resource with identifier '" + std::to_string(number) + "' not found"},
        "LS", "Problem loading RES string # : " + std::to_string(number));
    return {};
}

}  // namespace koru::diag
