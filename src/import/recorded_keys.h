#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace koru::import {

// The keys a session chain recorded for a level, folded as the destination compares them. An
// update run may hold hundreds of thousands: they sit in one block of text, sorted, so that a
// key costs its bytes and eight more.
class RecordedKeys {
public:
    // A key as XFRHash stores it.
    void add(std::string_view key);
    // Sorts the keys; call once after the last add() and before contains().
    void seal();
    // Whether a key as the transfer row holds it (trimmed, quotes as backquotes) was recorded.
    bool contains(std::string_view key) const;
    bool empty() const { return m_keys.empty(); }
    void clear();

private:
    std::string_view at(std::pair<std::uint32_t, std::uint32_t> key) const {
        return std::string_view(m_text).substr(key.first, key.second);
    }

    std::string m_text;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_keys;  // offset and length in m_text
};

}  // namespace koru::import
