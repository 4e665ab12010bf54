#include "db/flat_table.h"

#include <algorithm>
#include <charconv>

namespace koru::db {
namespace {

bool digitsAt(std::string_view text, std::size_t from, std::size_t count) {
    if (from + count > text.size()) return false;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

int numberAt(std::string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) value = value * 10 + (text[i] - '0');
    return value;
}

// YYYY-MM-DD naming a day of the calendar.
bool isDate(std::string_view text) {
    if (text.size() < 10 || !digitsAt(text, 0, 4) || text[4] != '-' || !digitsAt(text, 5, 2) || text[7] != '-' ||
        !digitsAt(text, 8, 2)) {
        return false;
    }
    int year = numberAt(text, 0, 4), month = numberAt(text, 5, 2), day = numberAt(text, 8, 2);
    constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day < 29 || leap;
}

// YYYY-MM-DD HH:MM:SS (or with a T), seconds with up to seven decimals.
bool isDateTime(std::string_view text) {
    if (text.size() < 19 || !isDate(text.substr(0, 10)) || (text[10] != ' ' && text[10] != 'T')) return false;
    if (!digitsAt(text, 11, 2) || text[13] != ':' || !digitsAt(text, 14, 2) || text[16] != ':' || !digitsAt(text, 17, 2)) {
        return false;
    }
    if (numberAt(text, 11, 2) > 23 || numberAt(text, 14, 2) > 59 || numberAt(text, 17, 2) > 59) return false;
    if (text.size() == 19) return true;
    return text[19] == '.' && text.size() > 20 && text.size() <= 27 && digitsAt(text, 20, text.size() - 20);
}

}  // namespace

std::optional<std::int64_t> canonicalInteger(std::string_view text) {
    std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    if (digits == text.size() || text.size() > 20) return std::nullopt;
    if (text[digits] == '0' && (text.size() > digits + 1 || digits == 1)) return std::nullopt;
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

void ColumnTypeGuess::add(std::string_view text) {
    m_seen = true;
    std::size_t characters = 0;
    for (char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters > m_longest) m_longest = characters;
    if (text.size() > m_longestBytes) m_longestBytes = text.size();
    if (m_decimals) {
        std::string_view number = !text.empty() && text[0] == '-' ? text.substr(1) : text;
        std::size_t point = number.find('.');
        std::string_view whole = number.substr(0, point);
        std::string_view fraction = point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
        bool valid = !whole.empty() && digitsAt(whole, 0, whole.size()) && (whole[0] != '0' || whole.size() == 1) &&
                     (point == std::string_view::npos || (!fraction.empty() && digitsAt(fraction, 0, fraction.size())));
        if (!valid) {
            m_decimals = false;
        } else {
            int wholeDigits = whole == "0" ? 0 : static_cast<int>(whole.size());
            if (wholeDigits > m_integerDigits) m_integerDigits = wholeDigits;
            if (static_cast<int>(fraction.size()) > m_scale) m_scale = static_cast<int>(fraction.size());
        }
    }
    if (m_integers) {
        auto integer = canonicalInteger(text);
        if (!integer) {
            m_integers = false;
        } else if (*integer > 2147483647LL || *integer < -2147483648LL) {
            m_wide = true;
        }
    }
    if (m_dateTimes) {
        bool date = text.size() == 10 && isDate(text);
        if (!date) m_dates = false;
        if (!date && !isDateTime(text)) m_dateTimes = false;
    }
}

FlatColumn ColumnTypeGuess::column(std::string name, bool singleBytes) const {
    FlatColumn column;
    column.name = std::move(name);
    // Jet calls a column without values Text (255).
    if (!m_seen) {
        column.type = "varchar(255)";
    } else if (m_integers) {
        column.type = m_wide ? "bigint" : "integer";
        column.integer = true;
    } else if (m_decimals && m_integerDigits + m_scale <= 38) {
        column.type = "decimal(" + std::to_string(std::max(1, m_integerDigits + m_scale)) + "," +
                      std::to_string(m_scale) + ")";
    } else if (m_dates) {
        column.type = "date";
    } else if (m_dateTimes) {
        column.type = "datetime";
    } else {
        column.type = "varchar(" + std::to_string(std::max<std::size_t>(1, singleBytes ? m_longestBytes : m_longest)) + ")";
    }
    return column;
}

}  // namespace koru::db
