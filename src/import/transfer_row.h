#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "mapping/mapping_repository.h"
#include "wizard/structure_level.h"

namespace koru::import {

// One source value as the row writer sees it: its text (nullopt for null) and ADO type.
struct SourceField {
    std::optional<std::string_view> value;
    int adoType = 0;
};

// One source field converted for the kinds "alpha", "num", "date" and "exl"; maxLength 0 means
// 35, or 20 for "num".
std::string ut_get_inserted_text(const SourceField& field, std::string_view kind, int maxLength);

// The leading number of the text, rounded to the nearest 32-bit integer, halves to even.
// Throws std::overflow_error when it does not fit.
std::int32_t G_Num_Convert(std::string_view text);

// A value of one transfer-row column.
struct TransferValue {
    enum class Kind { Null, Number, Text };
    Kind kind = Kind::Null;
    std::int64_t number = 0;
    std::string text;

    static TransferValue null() { return {}; }
    static TransferValue of(std::int64_t number) { return {Kind::Number, number, {}}; }
    static TransferValue of(std::string text) { return {Kind::Text, 0, std::move(text)}; }
};

// What the run adds to every transfer row besides the mapped fields.
struct TransferOptions {
    bool kbImport = false;
    std::int32_t kbCategoryId = 0;
    std::optional<std::int32_t> discovery;  // the chosen external application
    bool makeDefaultExl = false;
    std::int32_t genParent = 0;
};

// How the source rows of one level become rows of XFRTransfer: the column list is fixed for
// the level; each row supplies the values in the same order.
class TransferLayout {
public:
    // `mapped` are the level's ordinary mapping rows that the statement selects as XFR1, XFR2, ...
    TransferLayout(int level, const wizard::StructureLevel& record, const std::vector<mapping::ColumnMapping>& mapped,
                   const TransferOptions& options);

    const std::vector<std::string>& columns() const { return m_columns; }

    // Finds the fields the layout reads in a record set of the level's statement.
    void bind(const db::Recordset& rows);
    // Where bind() found the level's key; nullopt for a level without one.
    std::optional<std::size_t> keyField() const { return m_dLinkField; }
    // The current row's values, in column order. `cut`, when given, receives the positions of
    // the columns whose value was longer than the field holds.
    void values(const db::Recordset& rows, std::vector<TransferValue>& out,
                std::vector<std::size_t>* cut = nullptr) const;
    // How a finding names the column at `position`: its source and field, and the field's width.
    std::string cutColumnName(std::size_t position) const;

    // The INSERT text SQL Server receives for a row.
    std::string insertText(const std::vector<TransferValue>& values) const;
    // The same insert with '?' parameters, for a prepared statement.
    std::string parameterisedInsert() const;

private:
    enum class Conversion { Alpha, Notes, Email, Web, Number, Date, Exl, KbLong, KbSummary };
    struct MappedColumn {
        std::string alias;  // XFRk
        Conversion conversion;
        std::optional<std::size_t> field;  // position in the bound record set
        std::string source;                // the mapping's source column, for findings
    };

    // The width a conversion cuts text to; 0 for numbers.
    static std::size_t widthOf(Conversion conversion);
    // True when the value was cut to the field's width.
    bool mappedValue(const MappedColumn& column, const db::Recordset& rows, TransferValue& out) const;

    int m_level;
    bool m_hasDLink;
    bool m_hasULink;
    std::string m_dLinkColumn;
    std::string m_uLinkColumn;
    std::int32_t m_uLinkId;
    std::int32_t m_styleId;
    TransferOptions m_options;
    std::vector<std::string> m_columns;
    std::vector<MappedColumn> m_mapped;
    std::optional<std::size_t> m_dLinkField;
    std::optional<std::size_t> m_uLinkField;
};

// The level's ordinary rows that have a source table, in the order the statement aliases them.
std::vector<mapping::ColumnMapping> aliasedRows(const std::vector<mapping::ColumnMapping>& ordinaryRows);

}  // namespace koru::import
