#pragma once

#include <QLocale>
#include <functional>
#include <string>
#include <vector>

// A local calendar date and time of day.
struct TDateTime {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
    friend bool operator==(const TDateTime&, const TDateTime&) = default;
};

// The current local date and time, from the clock in force: the system clock
// unless SetClock replaced it (tests fix the time this way). An empty clock
// restores the system's.
TDateTime Now();
void SetClock(std::function<TDateTime()> clock);

// The locale's date and time conventions in the program's format language
// (see FormatDateTime). The defaults come from the system locale when first
// asked for; SetFormatSettings replaces them.
struct TFormatSettings {
    std::string ShortDateFormat;
    std::string LongDateFormat;
    std::string ShortTimeFormat;
    std::string LongTimeFormat;
    std::string DateSeparator;
    std::string TimeSeparator;
    std::string TimeAMString;
    std::string TimePMString;
    std::vector<std::string> ShortMonthNames, LongMonthNames;  // 12 each, January first
    std::vector<std::string> ShortDayNames, LongDayNames;      // 7 each, Sunday first
};
const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);
// The conventions of one locale, its Qt patterns put into the format language.
TFormatSettings LocaleFormatSettings(const QLocale& locale);

// Formats the date and time. Specifiers (case-insensitive): c (short date, a
// blank, long time), d dd ddd dddd ddddd (short date) dddddd (long date),
// m mm mmm mmmm (month, or minutes right after an hour), yy yyyy, h hh, n nn,
// s ss, z zzz, t (short time) tt (long time), am/pm a/p ampm (12-hour clock
// for every hour in the format), / (date separator), : (time separator),
// text in single or double quotes as it stands; any other character is
// copied. An empty format means "c".
std::string FormatDateTime(const std::string& format, const TDateTime& value);
