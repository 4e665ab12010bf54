#include "import/transfer_row.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "db/ado_types.h"
#include "diag/text.h"
#include "import/extraction.h"
#include "wizard/text_helpers.h"

namespace koru::import {
namespace {

struct DateParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysIn(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + (month == 2 && isLeap(year) ? 1 : 0);
}

// "yyyy-mm-dd[ hh:nn[:ss[.fff]]]" or "yyyy-mm-ddThh:nn:ss", as the drivers and SQLite give dates.
std::optional<DateParts> parseDate(std::string_view text) {
    std::string value = diag::trimBlanks(text);
    DateParts parts;
    char separator = 0;
    int read = std::sscanf(value.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &parts.year, &parts.month, &parts.day,
                           &separator, &parts.hour, &parts.minute, &parts.second);
    if (read < 3 || parts.month < 1 || parts.month > 12 || parts.day < 1) return std::nullopt;
    if (read < 5) parts.hour = parts.minute = parts.second = 0;
    if (read < 7) parts.second = 0;
    // A day the calendar does not have would count as another one.
    if (parts.day > daysIn(parts.year, parts.month) || parts.hour > 23 || parts.minute > 59 || parts.second > 59) {
        return std::nullopt;
    }
    return parts;
}

int dayOfYear(const DateParts& date) {
    static const int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    return kBefore[date.month - 1] + date.day + (date.month > 2 && isLeap(date.year) ? 1 : 0);
}

bool isDateType(int adoType) { return adoType == 7 || adoType == db::ado::kDbDate || adoType == db::ado::kDbTimeStamp; }

std::string dateText(const DateParts& date, std::string_view kind) {
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char buffer[64];
    if (kind == "alpha") {
        std::snprintf(buffer, sizeof buffer, "%02d-%s-%04d %02d:%02d:%02d", date.day, kMonths[date.month - 1],
                      date.year, date.hour, date.minute, date.second);
    } else if (kind == "num") {
        // Day of the year, then the two-digit year. Counted within the date's own year: a
        // two-digit year read back as a date would put 1925 in 2025.
        std::snprintf(buffer, sizeof buffer, "%05d", dayOfYear(date) * 100 + date.year % 100);
    } else if (kind == "date") {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    } else {
        return {};
    }
    return buffer;
}

std::string upperPrefix(std::string_view text, std::size_t length) {
    return diag::upperAscii(std::string(text.substr(0, std::min(length, text.size()))));
}

}  // namespace

std::string ut_get_inserted_text(const SourceField& field, std::string_view kind, int maxLength) {
    if (isDateType(field.adoType) && field.value) {
        if (diag::trimBlanks(*field.value).empty()) return {};
        if (auto date = parseDate(*field.value)) return dateText(*date, kind);
    } else if (isDateType(field.adoType)) {
        return {};
    }
    if (maxLength == 0) maxLength = kind == "num" ? 20 : 35;
    if (kind == "exl") maxLength = 50;
    // The value and a blank, cut and trimmed: the blank never survives, and quotes are one
    // character whether they are replaced before the cut or after.
    std::string text(diag::trimmedView(diag::leftView(field.value.value_or(""), static_cast<std::size_t>(maxLength))));
    return wizard::UT_Remove_Quotes(text);
}

std::int32_t G_Num_Convert(std::string_view text) {
    // The leading number, blanks inside it ignored: "1 2" reads 12, "12abc" 12, "abc" 0.
    std::string number;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
    };
    auto digits = [&] {
        bool any = false;
        for (skipBlanks(); i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); skipBlanks()) {
            number += text[i++];
            any = true;
        }
        return any;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) number += text[i++];
    // An infinite or undefined number is no 0: it fits no 32-bit number, as an overflow does not.
    std::string word = diag::upperAscii(std::string(text.substr(i, 3)));
    if (word == "INF" || word == "NAN") {
        throw std::overflow_error("Overflow: '" + std::string(text) + "' is not a 32-bit number");
    }
    digits();
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        digits();
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::string mantissa = number;
        std::size_t at = i++;
        number += 'e';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) number += text[i++];
        if (!digits()) {
            number = mantissa;
            i = at;
        }
    }
    double value = std::strtod(number.c_str(), nullptr);
    int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    double rounded = std::nearbyint(value);
    std::fesetround(mode);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        throw std::overflow_error("Overflow: '" + std::string(text) + "' is not a 32-bit number");
    }
    return static_cast<std::int32_t>(rounded);
}

std::vector<mapping::ColumnMapping> aliasedRows(const std::vector<mapping::ColumnMapping>& ordinaryRows) {
    std::vector<mapping::ColumnMapping> rows;
    for (const mapping::ColumnMapping& row : ordinaryRows) {
        if (row.sourceTable && !row.sourceTable->empty()) rows.push_back(row);
    }
    return rows;
}

TransferLayout::TransferLayout(int level, const wizard::StructureLevel& record,
                               const std::vector<mapping::ColumnMapping>& mapped, const TransferOptions& options)
    : m_level(level),
      m_hasDLink(!record.DLink.empty()),
      m_hasULink(!record.ULink.empty()),
      m_dLinkColumn(m_hasDLink ? Link_Sep(false, record.DLink) : std::string()),
      m_uLinkColumn(m_hasULink ? Link_Sep(false, record.ULink) : std::string()),
      m_uLinkId(record.ULinkID),
      m_styleId(record.StyleID),
      m_options(options) {
    m_columns = {"StructureID", "XFRID", "Parent", "StructureParentID", "StyleID", "SLAProvider"};
    if (options.kbImport) m_columns.push_back("KBCatID");
    if (options.discovery) m_columns.push_back("DToolID");
    if (options.makeDefaultExl) m_columns.push_back("DDefault");
    for (std::size_t k = 0; k < mapped.size(); ++k) {
        const mapping::ColumnMapping& row = mapped[k];
        std::string table = diag::upperAscii(row.destinTable);
        std::string column = row.destinColumn;
        std::string code = upperPrefix(column, 3);
        std::string whole = diag::upperAscii(column);
        std::string name;
        if (table == "CIID" || table == "KNOWLEDGE") {
            name = column;
        } else if (table == "ASSETCIID") {
            name = (code == "ALP" || code == "NUM" || code == "DAT" || code == "CUR") ? "A" + column : column;
        } else {
            continue;  // not a destination table: the row feeds nothing
        }
        Conversion conversion;
        if (code == "ALP" || code == "COS" || code == "LOC" || code == "ASS") {
            conversion = Conversion::Alpha;
        } else if (code == "NOT") {
            conversion = Conversion::Notes;
        } else if (code == "EMA") {
            conversion = Conversion::Email;
        } else if (code == "WEB") {
            conversion = Conversion::Web;
        } else if (code == "NUM" || code == "DEP") {
            conversion = Conversion::Number;
        } else if (code == "DAT" || code == "ACQ") {
            conversion = Conversion::Date;
        } else if (code == "CUR" || code == "ORI" || code == "SAL") {
            conversion = Conversion::Number;
        } else if (code == "DLI") {
            conversion = Conversion::Exl;
        } else if (whole == "KBDETAILS" || whole == "KBRESO") {
            conversion = Conversion::KbLong;
        } else if (whole == "KBSUMMARY") {
            conversion = Conversion::KbSummary;
        } else {
            // Knowledge.CatID: the article's category comes from the category tree instead.
            continue;
        }
        m_columns.push_back(name);
        m_mapped.push_back({"XFR" + std::to_string(k + 1), conversion, std::nullopt, row.sourceColumn.value_or("")});
    }
}

void TransferLayout::bind(const db::Recordset& rows) {
    auto find = [&rows](const std::string& name) -> std::size_t {
        auto position = rows.fieldIndex(name);
        if (!position) throw db::DbError(db::kErrItemNotFound, "Item cannot be found in the collection: " + name);
        return *position;
    };
    if (m_hasDLink) m_dLinkField = find(m_dLinkColumn);
    if (m_hasULink) m_uLinkField = find(m_uLinkColumn);
    for (MappedColumn& column : m_mapped) column.field = find(column.alias);
}

namespace {

void setNull(TransferValue& out) {
    out.kind = TransferValue::Kind::Null;
    out.text.clear();
}

void setNumber(TransferValue& out, std::int64_t number) {
    out.kind = TransferValue::Kind::Number;
    out.number = number;
    out.text.clear();
}

// Text as a quoted value: empty text is null, quotes become backquotes.
void setText(TransferValue& out, std::string_view text) {
    if (text.empty()) return setNull(out);
    out.kind = TransferValue::Kind::Text;
    out.text.assign(text);
    for (char& c : out.text) {
        if (c == '\'' || c == '"') c = '`';
    }
}

// The value cut to `count` characters and trimmed: what the conversions of text come to
// (quotes are one character either way, so replacing them first or last is the same). True
// when more than blanks were cut off.
bool setCut(TransferValue& out, std::optional<std::string_view> value, std::size_t count) {
    if (!value) {
        setNull(out);
        return false;
    }
    std::string_view kept = diag::leftView(*value, count);
    setText(out, diag::trimmedView(kept));
    return kept.size() < value->size() && !diag::trimmedView(value->substr(kept.size())).empty();
}

}  // namespace

std::size_t TransferLayout::widthOf(Conversion conversion) {
    switch (conversion) {
        case Conversion::Alpha:
        case Conversion::Date: return 35;
        case Conversion::Notes:
        case Conversion::KbLong: return 4000;
        case Conversion::Email: return 200;
        case Conversion::Web:
        case Conversion::Exl: return 50;
        case Conversion::KbSummary: return 255;
        case Conversion::Number: break;
    }
    return 0;
}

bool TransferLayout::mappedValue(const MappedColumn& column, const db::Recordset& rows, TransferValue& out) const {
    SourceField field{rows.text(*column.field), rows.field(*column.field).adoType};
    if (isDateType(field.adoType)) {
        // Dates are formatted by kind; the rare path takes the general conversion.
        switch (column.conversion) {
            case Conversion::Number: {
                // A date column's value that is no date has no day of the year to give.
                if (field.value && !diag::trimBlanks(*field.value).empty() && !parseDate(*field.value)) {
                    throw std::overflow_error("'" + diag::trimBlanks(*field.value) + "' is no date");
                }
                std::string text = ut_get_inserted_text(field, "num", 0);
                text.empty() ? setNull(out) : setNumber(out, G_Num_Convert(text));
                return false;
            }
            // A date's text is shorter than any field; a value that is no date is cut as text.
            case Conversion::Date: setText(out, ut_get_inserted_text(field, "date", 0)); return false;
            case Conversion::Exl: setText(out, ut_get_inserted_text(field, "exl", 0)); return false;
            case Conversion::KbLong: setText(out, ut_get_inserted_text(field, "alpha", 4000)); return false;
            case Conversion::KbSummary: setText(out, ut_get_inserted_text(field, "alpha", 255)); return false;
            case Conversion::Alpha: setText(out, ut_get_inserted_text(field, "alpha", 0)); return false;
            default: break;  // notes, e-mail and web ids take the value as it is
        }
    }
    if (column.conversion == Conversion::Number) {
        std::string_view text = field.value ? diag::trimmedView(diag::leftView(*field.value, 20)) : std::string_view();
        text.empty() ? setNull(out) : setNumber(out, G_Num_Convert(text));
        return false;
    }
    return setCut(out, field.value, widthOf(column.conversion));
}

void TransferLayout::values(const db::Recordset& rows, std::vector<TransferValue>& out,
                            std::vector<std::size_t>* cut) const {
    out.resize(m_columns.size());
    std::size_t next = 0;
    setNumber(out[next++], m_level);
    if (m_hasDLink) {
        setText(out[next], diag::trimmedView(rows.text(*m_dLinkField).value_or("")));
        // An empty key is a key all the same, not a null.
        out[next++].kind = TransferValue::Kind::Text;
    } else {
        setNumber(out[next++], 0);
    }
    if (m_hasULink) {
        // A null up link is an empty parent key: the item stays at the top.
        setText(out[next], rows.text(*m_uLinkField).value_or(""));
        out[next++].kind = TransferValue::Kind::Text;
        setNumber(out[next++], m_uLinkId);
    } else {
        setNumber(out[next++], m_options.genParent);
        setNumber(out[next++], 0);
    }
    setNumber(out[next++], m_styleId);
    setNumber(out[next++], 0);
    if (m_options.kbImport) setNumber(out[next++], m_options.kbCategoryId);
    if (m_options.discovery) setNumber(out[next++], *m_options.discovery);
    if (m_options.makeDefaultExl) setNumber(out[next++], 1);
    for (const MappedColumn& column : m_mapped) {
        try {
            if (mappedValue(column, rows, out[next]) && cut) cut->push_back(next);
        } catch (const std::overflow_error& error) {
            throw std::overflow_error("column " + m_columns[next] + ": " + error.what());
        }
        ++next;
    }
}

std::string TransferLayout::cutColumnName(std::size_t position) const {
    std::size_t first = m_columns.size() - m_mapped.size();
    const MappedColumn& column = m_mapped.at(position - first);
    return column.source + " (field " + m_columns.at(position) + ", " +
           std::to_string(widthOf(column.conversion)) + " characters)";
}

std::string TransferLayout::insertText(const std::vector<TransferValue>& values) const {
    std::string sql = "Insert Into XFRTransfer (StructureID, XFRID, Parent, StructureParentID, StyleID, SLAProvider, ";
    if (m_options.kbImport) sql += " KBCatID , ";
    if (m_options.discovery) sql += "DToolID, ";
    if (m_options.makeDefaultExl) sql += "DDefault, ";
    for (std::size_t i = 6 + (m_options.kbImport ? 1 : 0) + (m_options.discovery ? 1 : 0) +
                         (m_options.makeDefaultExl ? 1 : 0);
         i < m_columns.size(); ++i) {
        sql += m_columns[i] + ", ";
    }
    sql.resize(sql.size() - 2);
    sql += ")";

    auto number = [](const TransferValue& value) { return std::to_string(value.number); };
    sql += " Values (" + number(values[0]) + ", ";
    // Unicode literals: a character outside the server's code page would become '?'.
    sql += m_hasDLink ? " N'" + values[1].text + "' " : std::string("0");
    sql += m_hasULink ? " , N'" + values[2].text + "' " : " , " + number(values[2]);
    sql += m_hasULink ? " , " + number(values[3]) : std::string(" , 0");
    sql += " , " + number(values[4]) + ", 0, ";
    std::size_t next = 6;
    if (m_options.kbImport) sql += number(values[next++]) + " , ";
    if (m_options.discovery) sql += number(values[next++]) + ", ";
    if (m_options.makeDefaultExl) sql += number(values[next++]) + ", ";
    for (; next < values.size(); ++next) {
        const TransferValue& value = values[next];
        switch (value.kind) {
            case TransferValue::Kind::Null: sql += "NULL , "; break;
            case TransferValue::Kind::Number: sql += number(value) + ", "; break;
            case TransferValue::Kind::Text: sql += "N'" + value.text + "', "; break;
        }
    }
    sql.resize(sql.size() - 2);
    sql += ")";
    return sql;
}

std::string TransferLayout::parameterisedInsert() const {
    std::string columns, marks;
    for (const std::string& column : m_columns) {
        columns += (columns.empty() ? "" : ", ") + ("[" + column + "]");
        marks += marks.empty() ? "?" : ", ?";
    }
    return "INSERT INTO [XFRTransfer] (" + columns + ") VALUES (" + marks + ")";
}

}  // namespace koru::import
