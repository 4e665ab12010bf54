#include "import/text_dates.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <regex>
#include <vector>

#include "diag/text.h"

namespace koru::import {
namespace {

// The date forms SQL Server's datetime takes from a string with the language us_english
// (DATEFORMAT mdy). Each capture is named by one letter of `fields`: y year (two digits are
// 1950..2049), m month, b month name (full or three letters), d day; a day left out is the 1st.
struct DateForm {
    const char* example;
    const char* pattern;
    const char* fields;
};

const DateForm kDateForms[] = {
    {"2008-03-05", R"((\d{4})-(\d{1,2})-(\d{1,2}))", "ymd"},
    {"03/05/2008, 3/5/08", R"((\d{1,2})/(\d{1,2})/(\d{4}|\d{2}))", "mdy"},
    {"03-05-2008", R"((\d{1,2})-(\d{1,2})-(\d{4}|\d{2}))", "mdy"},
    {"03.05.2008", R"((\d{1,2})\.(\d{1,2})\.(\d{4}|\d{2}))", "mdy"},
    {"2008/03/05", R"((\d{4})/(\d{1,2})/(\d{1,2}))", "ymd"},
    {"2008.03.05", R"((\d{4})\.(\d{1,2})\.(\d{1,2}))", "ymd"},
    {"20080305", R"((\d{4})(\d{2})(\d{2}))", "ymd"},
    {"080305", R"((\d{2})(\d{2})(\d{2}))", "ymd"},
    {"2008", R"((\d{4}))", "y"},
    {"Mar 5 2008, March 5, 2008, Mar 2008", R"(([a-z]+)\.?(?: +(\d{1,2}))?,? +(\d{4}))", "bdy"},
    {"Mar 5 08, March 5, 08", R"(([a-z]+)\.? +(\d{1,2}),? +(\d{2}))", "bdy"},
    {"Mar 2008 5", R"(([a-z]+)\.? +(\d{4}) +(\d{1,2}))", "byd"},
    {"5 Mar 2008, 5 March, 08", R"((\d{1,2}) +([a-z]+)\.?,? *(\d{4}|\d{2}))", "dby"},
    {"05-Mar-2008", R"((\d{1,2})-([a-z]+)-(\d{4}|\d{2}))", "dby"},
    {"5 2008 Mar, 5 08 Mar", R"((\d{1,2}) +(\d{4}|\d{2}) +([a-z]+))", "dyb"},
    {"2008 Mar 5, 2008 Mar", R"((\d{4}) +([a-z]+)(?: +(\d{1,2}))?)", "ybd"},
    {"2008 5 Mar", R"((\d{4}) +(\d{1,2}) +([a-z]+))", "ydb"},
};

// A time after the date: "14:07", "14:07:30.250", "2:07PM", "2 PM"; ISO puts a T before it.
const char* const kTimePattern = R"((?:^|[ T] *)(?:(\d{1,2}):(\d{2})(?::(\d{2})(?:\.\d+)?)? *([ap]m)?|(\d{1,2}) *([ap]m))$)";

const char* const kMonthNames[] = {"january", "february", "march",     "april",   "may",      "june",
                                   "july",    "august",   "september", "october", "november", "december"};

struct CompiledForm {
    std::regex pattern;
    std::string fields;
};

const std::vector<CompiledForm>& compiledForms() {
    static const std::vector<CompiledForm> forms = [] {
        std::vector<CompiledForm> list;
        for (const DateForm& form : kDateForms) {
            list.push_back({std::regex(form.pattern, std::regex::icase | std::regex::optimize), form.fields});
        }
        return list;
    }();
    return forms;
}

std::optional<int> monthOfName(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int month = 0; month < 12; ++month) {
        std::string full = kMonthNames[month];
        if (name == full || name == full.substr(0, 3)) return month + 1;
    }
    return std::nullopt;
}

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysIn(int month, int year) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

struct Time {
    int hour = 0, minute = 0, second = 0;
};

// Splits a trailing time off `text`; nullopt when there is one but it is no valid time.
std::optional<Time> takeTime(std::string& text) {
    static const std::regex time(kTimePattern, std::regex::icase | std::regex::optimize);
    std::smatch match;
    if (!std::regex_search(text, match, time)) return Time{};
    Time parsed;
    std::string half;
    if (match[1].matched) {
        parsed.hour = std::stoi(match[1]);
        parsed.minute = std::stoi(match[2]);
        parsed.second = match[3].matched ? std::stoi(match[3]) : 0;
        half = match[4].matched ? diag::upperAscii(match[4].str()) : "";
    } else {
        parsed.hour = std::stoi(match[5]);
        half = diag::upperAscii(match[6].str());
    }
    text.erase(static_cast<std::size_t>(match.position(0)));
    if (parsed.minute > 59 || parsed.second > 59) return std::nullopt;
    if (half.empty()) return parsed.hour <= 23 ? std::optional<Time>(parsed) : std::nullopt;
    if (parsed.hour > 12) return std::nullopt;
    parsed.hour = parsed.hour % 12 + (half == "PM" ? 12 : 0);
    return parsed;
}

TextDate dateOf(int year, int month, int day, const Time& time) {
    // datetime starts in 1753.
    if (year < 1753 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysIn(month, year)) {
        return {TextDate::Outcome::OutOfRange, {}};
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, time.hour, time.minute,
                  time.second);
    return {TextDate::Outcome::Date, buffer};
}

}  // namespace

TextDate readTextDate(std::string_view text) {
    std::string value = diag::trimBlanks(text);
    if (value.empty()) return dateOf(1900, 1, 1, {});  // the server's zero date
    std::optional<Time> time = takeTime(value);
    if (!time) return {TextDate::Outcome::NotADate, {}};
    if (value.empty()) return dateOf(1900, 1, 1, *time);  // a time alone
    for (const CompiledForm& form : compiledForms()) {
        std::smatch match;
        if (!std::regex_match(value, match, form.pattern)) continue;
        int year = 0, month = 0, day = 1;
        for (std::size_t i = 0; i < form.fields.size(); ++i) {
            if (!match[i + 1].matched) continue;
            std::string part = match[i + 1].str();
            switch (form.fields[i]) {
                case 'y':
                    year = std::stoi(part);
                    if (part.size() == 2) year += year < 50 ? 2000 : 1900;
                    break;
                case 'm': month = std::stoi(part); break;
                case 'd': day = std::stoi(part); break;
                case 'b': {
                    auto named = monthOfName(part);
                    if (!named) return {TextDate::Outcome::NotADate, {}};
                    month = *named;
                    break;
                }
            }
        }
        if (form.fields == "y") month = 1;
        return dateOf(year, month, day, *time);
    }
    return {TextDate::Outcome::NotADate, {}};
}

std::string dateFailureText(TextDate::Outcome outcome) {
    return outcome == TextDate::Outcome::OutOfRange
               ? "The conversion of a varchar data type to a datetime data type resulted in an out-of-range value."
               : "Conversion failed when converting date and/or time from character string.";
}

}  // namespace koru::import
