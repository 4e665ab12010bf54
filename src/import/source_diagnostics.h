#pragma once

#include <map>
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
    // The two lowest spellings are all the findings show: every row need not keep its own.
    struct KeyGroup {
        long rows = 0;
        std::string first;   // the lowest spelling the rows wrote
        std::string second;  // the next distinct one; empty while all rows spell the key alike
    };
    std::map<std::string, KeyGroup> m_groups;  // by the key as the destination compares it
};

}  // namespace koru::import
