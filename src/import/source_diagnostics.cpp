#include "import/source_diagnostics.h"

#include "db/key_collation.h"
#include "diag/text.h"

#include <algorithm>
#include <utility>

namespace koru::import {
namespace {

constexpr long kKeysShown = 3;

std::string quotedList(const std::vector<std::string>& keys) {
    std::string list;
    for (const std::string& key : keys) list += (list.empty() ? "'" : ", '") + key + "'";
    return list;
}

}  // namespace

void LevelKeys::add(std::string_view key) {
    std::string_view trimmed = diag::trimmedView(key);
    if (trimmed.empty()) return;  // keyless rows are said apart
    KeyGroup& group = m_groups[db::foldKey(trimmed)];
    if (group.rows++ == 0) {
        group.first = key;
    } else if (key != group.first && key != group.second) {
        if (key < group.first) {
            group.second = std::exchange(group.first, std::string(key));
        } else if (group.second.empty() || key < group.second) {
            group.second = key;
        }
    }
}

std::vector<std::string> LevelKeys::findings(const std::string& level) const {
    long repeatedRows = 0;
    // The first few in key order, whatever order the groups are kept in.
    std::vector<const std::pair<const std::string, KeyGroup>*> repeatedGroups, spelledGroups;
    for (const auto& entry : m_groups) {
        const KeyGroup& group = entry.second;
        if (!group.second.empty()) {
            spelledGroups.push_back(&entry);
        } else if (group.rows > 1) {
            repeatedRows += group.rows;
            repeatedGroups.push_back(&entry);
        }
    }
    long repeated = static_cast<long>(repeatedGroups.size()), spelled = static_cast<long>(spelledGroups.size());
    auto first = [](auto& groups) {
        std::size_t shown = std::min<std::size_t>(groups.size(), kKeysShown);
        std::partial_sort(groups.begin(), groups.begin() + static_cast<std::ptrdiff_t>(shown), groups.end(),
                          [](auto* a, auto* b) { return a->first < b->first; });
        groups.resize(shown);
    };
    first(repeatedGroups);
    first(spelledGroups);
    std::vector<std::string> firstRepeated, firstSpelled;
    for (auto* entry : repeatedGroups) firstRepeated.push_back(entry->second.first);
    for (auto* entry : spelledGroups) firstSpelled.push_back(entry->second.first + "' and '" + entry->second.second);
    std::vector<std::string> lines;
    if (repeated > 0) {
        lines.push_back(level + ": " + std::to_string(repeated) + (repeated == 1 ? " key occurs" : " keys occur") +
                        " more than once, in " + std::to_string(repeatedRows) + " rows (first: " +
                        quotedList(firstRepeated) +
                        "): each row becomes an item of its own, and an update run matches each such key to one "
                        "of them only.");
    }
    if (spelled > 0) {
        lines.push_back(level + ": " + std::to_string(spelled) + (spelled == 1 ? " key differs" : " keys differ") +
                        " from another only in case or trailing blanks (first: " + quotedList(firstSpelled) +
                        "): each row becomes an item of its own, but the destination compares keys without case "
                        "or trailing blanks, so an update run takes them for one item.");
    }
    return lines;
}

void CutValues::add(std::size_t column, std::string_view key, long row) {
    Column& cut = m_columns[column];
    if (cut.rows++ < kKeysShown) {
        cut.first.push_back(key.empty() ? "row " + std::to_string(row) : "'" + std::string(key) + "'");
    }
}

std::string CutValues::finding(const std::string& level, const std::string& column, const Column& cut) {
    std::string first;
    for (const std::string& row : cut.first) first += (first.empty() ? "" : ", ") + row;
    return level + ": " + std::to_string(cut.rows) + (cut.rows == 1 ? " value" : " values") + " of " + column +
           " longer than the field (first: " + first + "): the field takes the first characters only.";
}

std::string unlinkedRowsFinding(const std::string& level, const std::string& parentLevel, long rows,
                                const std::vector<std::string>& first) {
    std::string list;
    for (const std::string& row : first) list += (list.empty() ? "" : ", ") + row;
    return level + ": " + std::to_string(rows) + (rows == 1 ? " row names" : " rows name") + " no row of " +
           parentLevel + " by its up-link (first: " + list + "): such rows are left out, and no item is made for them.";
}

}  // namespace koru::import
