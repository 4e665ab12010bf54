#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace koru::db {

// One value of a row read from a file: null, or its text in UTF-8.
struct FlatValue {
    bool null = true;
    std::string text;
};

// A column of a file read as a table.
struct FlatColumn {
    std::string name;
    std::string type;      // as columns() reports it: "integer", "decimal(6,2)", "date", "varchar(40)"
    bool integer = false;  // every value is a whole number, stored as one
};

// A CSV or DBF file read as a table: its columns first (which may read the file once), then its
// rows in order, one at a time.
class FlatTable {
public:
    using RowHandler = std::function<void(const std::vector<FlatValue>&)>;

    virtual ~FlatTable() = default;
    virtual std::vector<FlatColumn> columns() = 0;
    // Calls `row` with each row's values in column order; the vector is reused between rows.
    virtual void readRows(const RowHandler& row) = 0;
};

// The value of a whole number written as it would be printed: an optional '-', no leading zero,
// within 64 bits. Anything else ("007", "+5", "-0", "1e3") is text.
std::optional<std::int64_t> canonicalInteger(std::string_view text);

// Infers a column's type from the text of its values, as columns() reports it.
class ColumnTypeGuess {
public:
    void add(std::string_view text);
    // `singleBytes`: each byte of the values is one character (Windows-1252), else UTF-8.
    FlatColumn column(std::string name, bool singleBytes = false) const;

private:
    bool m_seen = false;
    bool m_integers = true;   // every value so far a whole number
    bool m_decimals = true;   // every value so far a number with or without decimals
    bool m_dates = true;      // every value so far YYYY-MM-DD
    bool m_dateTimes = true;  // every value so far YYYY-MM-DD or YYYY-MM-DD HH:MM:SS
    bool m_wide = false;      // a whole number past 32 bits
    int m_integerDigits = 0;
    int m_scale = 0;
    std::size_t m_longest = 0;  // UTF-8 characters
    std::size_t m_longestBytes = 0;
};

}  // namespace koru::db
