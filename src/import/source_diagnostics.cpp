#include "import/source_diagnostics.h"

#include "db/key_collation.h"
#include "diag/text.h"

#include <algorithm>
#include <optional>

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
    std::size_t at = m_arena.size();
    m_arena += db::foldKey(trimmed);
    m_entries.push_back({at, static_cast<std::uint32_t>(m_arena.size() - at), static_cast<std::uint32_t>(key.size())});
    m_arena += key;
}

std::vector<std::string> LevelKeys::findings(const std::string& level) {
    std::sort(m_entries.begin(), m_entries.end(), [this](const Entry& a, const Entry& b) {
        int order = folded(a).compare(folded(b));
        return order != 0 ? order < 0 : written(a) < written(b);
    });
    // A group's rows are together, its lowest spelling first; groups come in key order.
    long repeated = 0, spelled = 0, repeatedRows = 0;
    std::vector<std::string> firstRepeated, firstSpelled;
    for (std::size_t start = 0, end; start < m_entries.size(); start = end) {
        std::string_view key = folded(m_entries[start]), first = written(m_entries[start]);
        std::optional<std::string_view> second;
        for (end = start + 1; end < m_entries.size() && folded(m_entries[end]) == key; ++end) {
            if (!second && written(m_entries[end]) != first) second = written(m_entries[end]);
        }
        long rows = static_cast<long>(end - start);
        if (second) {
            if (spelled++ < kKeysShown) firstSpelled.push_back(std::string(first) + "' and '" + std::string(*second));
        } else if (rows > 1) {
            repeatedRows += rows;
            if (repeated++ < kKeysShown) firstRepeated.emplace_back(first);
        }
    }
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
