#include "import/text_dates.h"

#include <gtest/gtest.h>

namespace koru::import {
namespace {

using Outcome = TextDate::Outcome;

TEST(TextDates, ReadsWhatTheServerReadsMonthFirstAndRefusesTheRest) {
    struct Case {
        const char* text;
        Outcome outcome;
        const char* value;
    };
    const Case cases[] = {
        {"2008-03-05", Outcome::Date, "2008-03-05 00:00:00"},
        {" 2008-3-5T14:07:30.125 ", Outcome::Date, "2008-03-05 14:07:30"},
        {"05/03/2008", Outcome::Date, "2008-05-03 00:00:00"},
        {"5-3-08", Outcome::Date, "2008-05-03 00:00:00"},
        {"12.31.49 11:59 PM", Outcome::Date, "2049-12-31 23:59:00"},
        {"1/2/50 12:00am", Outcome::Date, "1950-01-02 00:00:00"},
        {"2008/03/05", Outcome::Date, "2008-03-05 00:00:00"},
        {"20080305 7:05", Outcome::Date, "2008-03-05 07:05:00"},
        {"080305", Outcome::Date, "2008-03-05 00:00:00"},
        {"2008", Outcome::Date, "2008-01-01 00:00:00"},
        {"Mar 5 2008 2:07PM", Outcome::Date, "2008-03-05 14:07:00"},
        {"march 5, 08", Outcome::Date, "2008-03-05 00:00:00"},
        {"September 2008", Outcome::Date, "2008-09-01 00:00:00"},
        {"5 Mar 2008", Outcome::Date, "2008-03-05 00:00:00"},
        {"05-MAR-2008 14:07:00", Outcome::Date, "2008-03-05 14:07:00"},
        {"2008 Mar 5", Outcome::Date, "2008-03-05 00:00:00"},
        {"5 2008 mar", Outcome::Date, "2008-03-05 00:00:00"},
        {"2008-02-29", Outcome::Date, "2008-02-29 00:00:00"},
        {"14:07", Outcome::Date, "1900-01-01 14:07:00"},
        {"31/12/2008", Outcome::OutOfRange, ""},
        {"2007-02-29", Outcome::OutOfRange, ""},
        {"1752-12-31", Outcome::OutOfRange, ""},
        {"not a date", Outcome::NotADate, ""},
        {"Mars 5 2008", Outcome::NotADate, ""},
        {"2008-03-05 25:00", Outcome::NotADate, ""},
        {"2008-03-05 1:07 PMX", Outcome::NotADate, ""},
        {"13:00 PM", Outcome::NotADate, ""},
        {"2008-03", Outcome::NotADate, ""},
    };
    for (const Case& c : cases) {
        TextDate date = readTextDate(c.text);
        EXPECT_EQ(date.outcome, c.outcome) << c.text;
        EXPECT_EQ(date.value, c.value) << c.text;
    }
}

}  // namespace
}  // namespace koru::import
