#include "import/recorded_keys.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "db/key_collation.h"
#include "diag/text.h"

namespace koru::import {

void RecordedKeys::add(std::string_view key) {
    std::string folded = db::foldKey(diag::trimmedView(key));
    if (m_text.size() + folded.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("The recorded keys of a level exceed 4 GiB.");
    }
    m_keys.emplace_back(static_cast<std::uint32_t>(m_text.size()),
                        static_cast<std::uint32_t>(folded.size()));
    m_text += folded;
}

void RecordedKeys::seal() {
    auto less = [this](const auto& a, const auto& b) { return at(a) < at(b); };
    auto same = [this](const auto& a, const auto& b) { return at(a) == at(b); };
    std::sort(m_keys.begin(), m_keys.end(), less);
    m_keys.erase(std::unique(m_keys.begin(), m_keys.end(), same), m_keys.end());
    m_keys.shrink_to_fit();
    m_text.shrink_to_fit();
}

bool RecordedKeys::contains(std::string_view key) const {
    std::string folded = db::foldKey(key);
    auto found = std::lower_bound(
        m_keys.begin(), m_keys.end(), folded,
        [this](const auto& entry, const std::string& wanted) { return at(entry) < wanted; });
    return found != m_keys.end() && at(*found) == folded;
}

void RecordedKeys::clear() {
    m_text.clear();
    m_keys.clear();
}

}  // namespace koru::import
