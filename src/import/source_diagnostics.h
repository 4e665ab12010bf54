#pragma once

#include <cstdint>
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
    // Sorts the keys kept.
    std::vector<std::string> findings(const std::string& level);

private:
    // Every key packed as the destination compares it, then as the row wrote it: a level may
    // hold hundreds of thousands, and sorting them once groups them all.
    struct Entry {
        std::size_t at;
        std::uint32_t foldedLength;
        std::uint32_t keyLength;
    };
    std::string_view folded(const Entry& entry) const { return {m_arena.data() + entry.at, entry.foldedLength}; }
    std::string_view written(const Entry& entry) const {
        return {m_arena.data() + entry.at + entry.foldedLength, entry.keyLength};
    }
    std::string m_arena;
    std::vector<Entry> m_entries;
};

// Values of one level cut at their field's width, per column.
class CutValues {
public:
    // `row` is the row's place among the level's rows, for rows without a key.
    void add(std::size_t column, std::string_view key, long row);
    // One line per column, its count and first keys. `columnName` names a column.
    template <typename ColumnName>
    std::vector<std::string> findings(const std::string& level, ColumnName columnName) const {
        std::vector<std::string> lines;
        for (const auto& [column, cut] : m_columns) lines.push_back(finding(level, columnName(column), cut));
        return lines;
    }

private:
    struct Column {
        long rows = 0;
        std::vector<std::string> first;  // how the first rows are named
    };
    static std::string finding(const std::string& level, const std::string& column, const Column& cut);
    std::map<std::size_t, Column> m_columns;
};

// Rows a level leaves out because their up-link names no row of `parentLevel`; `first` names
// the first few as "'key' under 'up-link'".
std::string unlinkedRowsFinding(const std::string& level, const std::string& parentLevel, long rows,
                                const std::vector<std::string>& first);

}  // namespace koru::import
