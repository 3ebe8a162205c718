#include "framework/DateTime.h"

#include <gtest/gtest.h>

namespace {

class DateTimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved = FormatSettings();
        const std::vector<std::string> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        std::vector<std::string> longMonths = months;
        longMonths[11] = "December";
        const std::vector<std::string> days = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        const TFormatSettings s{.ShortDateFormat = "dd/mm/yyyy",
                                .LongDateFormat = "d mmmm yyyy",
                                .ShortTimeFormat = "hh:nn",
                                .LongTimeFormat = "hh:nn:ss",
                                .DateSeparator = ".",
                                .TimeSeparator = ":",
                                .TimeAMString = "AM",
                                .TimePMString = "PM",
                                .ShortMonthNames = months,
                                .LongMonthNames = longMonths,
                                .ShortDayNames = days,
                                .LongDayNames = days};
        SetFormatSettings(s);
    }
    void TearDown() override {
        SetFormatSettings(saved);
        SetClock({});
    }
    TFormatSettings saved;
    TDateTime t{2026, 12, 8, 16, 5, 9, 42};
};

TEST_F(DateTimeTest, EmptyFormat_IsShortDateBlankLongTime) {
    EXPECT_EQ(FormatDateTime("", t), "08.12.2026 16:05:09");
    EXPECT_EQ(FormatDateTime("c", t), FormatDateTime("", t));
}

TEST_F(DateTimeTest, Specifiers_DatePartsNamesAndMinutesAfterHours) {
    EXPECT_EQ(FormatDateTime("d-m-yy", t), "8-12-26");
    EXPECT_EQ(FormatDateTime("ddd dddd mmm mmmm", t), "Tue Tue Dec December");
    EXPECT_EQ(FormatDateTime("ddddd|dddddd", t), "08.12.2026|8 December 2026");
    EXPECT_EQ(FormatDateTime("h:mm", t), "16:05");
    EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", t), "16:05:09.042");
    EXPECT_EQ(FormatDateTime("t|tt", t), "16:05|16:05:09");
}

TEST_F(DateTimeTest, TwelveHourClockAndQuotedText) {
    EXPECT_EQ(FormatDateTime("h:nn am/pm", t), "4:05 pm");
    EXPECT_EQ(FormatDateTime("hh a/p", t), "04 p");
    EXPECT_EQ(FormatDateTime("h ampm", TDateTime{2026, 1, 1, 0, 0, 0, 0}), "12 AM");
    EXPECT_EQ(FormatDateTime("'d is' d \"m\"", t), "d is 8 m");
}

TEST_F(DateTimeTest, ClockCanBeReplacedAndRestored) {
    SetClock([this] { return t; });
    EXPECT_EQ(Now(), t);
    SetClock({});
    EXPECT_NE(Now().Year, 1899);
}

}  // namespace

namespace {

// The test main runs in the C locale; its Qt patterns arrive translated.
TEST(DateTimeSystemTest, LocaleFormatsComeFromTheSystemLocale) {
    EXPECT_EQ(FormatDateTime("", TDateTime{2026, 12, 8, 16, 5, 9, 0}), "8 Dec 2026 16:05:09");
}

// Qt's two-letter AM/PM marker ("h:mm:ss AP") is one marker, not "PM" and a P.
TEST(DateTimeSystemTest, TwelveHourLocalesShowTheirMarkerOnce) {
    SetFormatSettings(LocaleFormatSettings(QLocale(QLocale::English, QLocale::UnitedStates)));
    EXPECT_EQ(FormatDateTime("", TDateTime{2026, 12, 8, 16, 5, 9, 0}), "12/8/26 4:05:09 PM");
    SetFormatSettings(LocaleFormatSettings(QLocale::system()));
}

}  // namespace
