#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace koru::import {

// The keys of one level's transfer rows, to say what in the source will not import cleanly.
class LevelKeys {
public:
    void add(std::string_view key);
    // One line per finding, each saying what the import does about it: keys that occur more than
    // once, and keys that differ from another only in case or trailing blanks. `level` names it.
    std::vector<std::string> findings(const std::string& level) const;

private:
    struct KeyGroup {
        long rows = 0;
        std::set<std::string> spellings;  // as the rows wrote them
    };
    std::map<std::string, KeyGroup> m_groups;  // by the key as the destination compares it
};

}  // namespace koru::import
