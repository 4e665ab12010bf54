#pragma once

#include <string>
#include <string_view>

namespace koru::import {

// A date given as text, read as SQL Server reads a string into a datetime under its default
// language (us_english: month before day). The result is "yyyy-mm-dd hh:nn:ss".
struct TextDate {
    enum class Outcome { Date, NotADate, OutOfRange };
    Outcome outcome = Outcome::NotADate;
    std::string value;
};

TextDate readTextDate(std::string_view text);

// The server's message for a text that gave no date.
std::string dateFailureText(TextDate::Outcome outcome);

}  // namespace koru::import
