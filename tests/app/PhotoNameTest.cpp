#include "app/PhotoName.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The tests read names on 15 June 2024 at 12:00:00 (the test main's zone is UTC).
std::time_t Moment(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

TNameSchemes Schemes(bool all) {
    TNameSchemes schemes;
    schemes.all = all;
    schemes.now = Moment(2024, 6, 15, 12, 0, 0);
    return schemes;
}

// What a name gives: its date text, or "passed over: REASON", or "" when it
// has no scheme's form; and the scheme's name.
std::pair<std::string, std::string> Read(const std::string& name, const TNameSchemes& schemes,
                                         TNameContext file = {},
                                         TNameKind kind = TNameKind::Photo) {
    TNameReading reading = ReadPhotoName(name, file, schemes, kind);
    if (reading.scheme.empty())
        return {"", ""};
    std::string what = reading.shot ? DateText(*reading.shot)
                                    : std::string("passed over: ") + NamePassText(reading.pass);
    return {what, reading.scheme};
}

struct Case {
    const char* name;
    const char* read;    // as Read gives it
    const char* scheme;  // "" when the name has no scheme's form
};

void Check(const std::vector<Case>& cases, const TNameSchemes& schemes, TNameContext file = {},
           TNameKind kind = TNameKind::Photo) {
    for (const Case& c : cases) {
        auto [read, scheme] = Read(c.name, schemes, file, kind);
        EXPECT_EQ(read, c.read) << c.name;
        EXPECT_EQ(scheme, c.scheme) << c.name;
    }
}

// Sets the process's time zone for the test's lifetime.
class TimeZone {
  public:
    explicit TimeZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone() {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

}  // namespace

TEST(PhotoName, EverySchemeReadsItsNamesWithSuffixesInEitherCase) {
    Check(
        {
            {"15-06-07_1230.jpg", "2007:06:15 12:30:00", "camera phones"},
            {"15-06-07_12301.mp4", "2007:06:15 12:30:00", "camera phones"},  // any end, as ever
            {"IMG_20190723_184512.jpg", "2019:07:23 18:45:12", "Android cameras"},
            {"img_20190723_184512_1.JPG", "2019:07:23 18:45:12", "Android cameras"},
            {"20190724_091011.jpg", "2019:07:24 09:10:11", "Samsung and others"},
            {"20190724_091011 (2).jpeg", "2019:07:24 09:10:11", "Samsung and others"},
            {"PXL_20211231_235959123.jpg", "2021:12:31 23:59:59", "Pixel"},
            {"PXL_20211231_235959123.PORTRAIT.jpg", "2021:12:31 23:59:59", "Pixel"},
            {"signal-2022-03-04-050607.jpg", "2022:03:04 05:06:07", "Signal"},
            {"Signal-2022-03-04-050607-edited.jpg", "2022:03:04 05:06:07", "Signal"},
            {"Screenshot_20230102-030405.jpg", "2023:01:02 03:04:05", "screenshots"},
            {"Screenshot_20230102-030405_Chrome.jpg", "2023:01:02 03:04:05", "screenshots"},
            {"2018-05-06 07.08.09.jpg", "2018:05:06 07:08:09", "camera uploads"},
            {"2018-05-06 07.08.09~2.jpg", "2018:05:06 07:08:09", "camera uploads"},
            {"image20190725_101112345.jpg", "2019:07:25 10:11:12", "Sony"},
            {"2014-08-25_17.15.33.jpg", "2014:08:25 17:15:33", "older messengers"},
            {"20090506121211.jpg", "2009:05:06 12:12:11", "fourteen digits"},
            {"IMG-20200101-WA0007.jpg", "2020:01:01 12:00:00", "WhatsApp"},
        },
        Schemes(true));
}

TEST(PhotoName, ImpossibleOldOrFutureMomentsAndOtherDigitRunsGiveNoDate) {
    Check(
        {
            {"IMG_20190231_120000.jpg", "passed over: no such date or time", "Android cameras"},
            {"IMG_20190723_240000.jpg", "passed over: no such date or time", "Android cameras"},
            {"20190724_091060.jpg", "passed over: no such date or time", "Samsung and others"},
            {"20190229_120000.jpg", "passed over: no such date or time", "Samsung and others"},
            {"31-04-07_1200.jpg", "passed over: no such date or time", "camera phones"},
            {"15-06-07_2400.jpg", "passed over: no such date or time", "camera phones"},
            {"IMG_19891231_235959.jpg", "passed over: before 1990", "Android cameras"},
            {"IMG_19900101_000000.jpg", "1990:01:01 00:00:00", "Android cameras"},
            {"IMG_20240615_120000.jpg", "2024:06:15 12:00:00", "Android cameras"},
            {"IMG_20240615_120001.jpg", "passed over: after now", "Android cameras"},
            {"IMG_96190723_184512.jpg", "passed over: after now", "Android cameras"},
            {"20190724_0910112.jpg", "", ""},  // a longer digit run
            {"201907240910111.jpg", "", ""},
            {"1563955200000.jpg", "", ""},  // epoch milliseconds
            {"3f2504e0-4f89-11d3-9a0c-0305e82c3301.jpg", "", ""},
            {"VID_96190723_184512.jpg", "", ""},
            {"IMG_20190723_184512.png", "", ""},
            {"IMG_20190723_184512.jpg.part", "", ""},
            {"IMG_2019723_184512.jpg", "", ""},
            {"ab-cd-ef_ghij.jpg", "", ""},
            {"15-06-07_123", "", ""},
            {"", "", ""},
        },
        Schemes(true));
}

TEST(PhotoName, OnlyTheCameraPhonesSchemeIsInForceByDefault) {
    Check(
        {
            {"15-06-07_1230.jpg", "2007:06:15 12:30:00", "camera phones"},
            {"IMG_20190723_184512.jpg", "", ""},
            {"20090506121211.jpg", "", ""},
        },
        Schemes(false));
    EXPECT_FALSE(HasSchemeForm("IMG_20190723_184512.jpg", Schemes(false)));
    EXPECT_TRUE(HasSchemeForm("IMG_20190231_120000.jpg", Schemes(true)));  // undated, but its form
}

// 20YY unless that day lies after today (15 June 2024), then 19YY; a 19YY
// before 1990 is passed over for its 20YY being after now.
TEST(PhotoName, TwoDigitYearsAreNeverInTheFuture) {
    Check(
        {
            {"15-06-24_1159.jpg", "2024:06:15 11:59:00", "camera phones"},
            {"15-06-24_1201.jpg", "passed over: after now", "camera phones"},  // today, later
            {"16-06-24_0000.jpg", "passed over: after now", "camera phones"},  // not 1924
            {"31-12-99_2359.jpg", "1999:12:31 23:59:00", "camera phones"},
            {"01-01-90_0000.jpg", "1990:01:01 00:00:00", "camera phones"},
            {"31-12-89_2359.jpg", "passed over: after now", "camera phones"},
            {"29-02-96_1200.jpg", "1996:02:29 12:00:00", "camera phones"},
            {"29-02-00_0000.jpg", "2000:02:29 00:00:00", "camera phones"},
            {"01-01-13_0000.jpg", "2013:01:01 00:00:00", "camera phones"},
        },
        Schemes(false));
}

TEST(PhotoName, FolderDecidesWhetherDayOrMonthComesFirst) {
    const TNameSchemes schemes = Schemes(false);
    struct Folder {
        std::vector<std::string> names;
        std::optional<TDayOrder> order;
    };
    const Folder folders[] = {
        {{"08-21-07_1547.jpg", "03-04-07_1200.jpg", "notes.txt"}, TDayOrder::MonthFirst},
        {{"21-08-07_1547.jpg", "03-04-07_1200.jpg"}, TDayOrder::DayFirst},
        {{"03-04-07_1200.jpg", "31-04-07_1200.jpg"}, TDayOrder::DayFirst},  // nothing decides
        {{"21-08-07_1547.jpg", "08-21-07_1547.jpg"}, TDayOrder::Mixed},
        {{"notes.txt", "IMG_20190723_184512.jpg"}, std::nullopt},
    };
    for (const Folder& folder : folders)
        EXPECT_EQ(FolderDayOrder(folder.names, schemes), folder.order) << folder.names[0];

    Check({{"03-04-07_1200.jpg", "2007:03:04 12:00:00", "camera phones"},
           {"08-21-07_1547.jpg", "2007:08:21 15:47:00", "camera phones"}},
          schemes, {0, TDayOrder::MonthFirst});
    Check(
        {
            {"21-08-07_1547.jpg", "2007:08:21 15:47:00", "camera phones"},
            {"08-21-07_1547.jpg", "2007:08:21 15:47:00", "camera phones"},
            {"03-04-07_1200.jpg", "passed over: day and month cannot be told apart",
             "camera phones"},
            {"05-05-07_1200.jpg", "2007:05:05 12:00:00", "camera phones"},  // the same either way
            {"31-04-07_1200.jpg", "passed over: no such date or time", "camera phones"},
            {"06-12-24_1200.jpg", "passed over: day and month cannot be told apart",
             "camera phones"},  // 12 June is past, 6 December to come: still both days exist
        },
        schemes, {0, TDayOrder::Mixed});
}

// A name read day first that is later today is still to come: no sign of month first.
TEST(PhotoName, AMomentStillToComeNeverDecidesMonthFirst) {
    TNameSchemes schemes = Schemes(false);
    schemes.now = Moment(2026, 12, 10, 14, 42, 0);
    EXPECT_EQ(FolderDayOrder({"10-12-26_2359.jpg"}, schemes), TDayOrder::DayFirst);
    EXPECT_EQ(FolderDayOrder({"10-12-26_2359.jpg", "15-11-26_1200.jpg"}, schemes),
              TDayOrder::DayFirst);
    Check({{"10-12-26_2359.jpg", "passed over: after now", "camera phones"},
           {"09-12-26_1200.jpg", "2026:12:09 12:00:00", "camera phones"}},
          schemes, {0, TDayOrder::DayFirst});
    Check(
        {{"10-12-26_2359.jpg", "passed over: day and month cannot be told apart", "camera phones"}},
        schemes, {0, TDayOrder::Mixed});
}

TEST(PhotoName, ALocalTimeTheClocksSkippedIsPassedOver) {
    TimeZone berlin("Europe/Berlin");
    Check({{"31-03-24_0230.jpg", "passed over: no such date or time", "camera phones"},
           {"31-03-24_0330.jpg", "2024:03:31 03:30:00", "camera phones"}},
          Schemes(false), {0, TDayOrder::DayFirst});
}

TEST(PhotoName, PixelNamesAreInUtcAndWrittenAsLocalTime) {
    TimeZone berlin("Europe/Berlin");
    TNameSchemes schemes = Schemes(true);
    schemes.now = Moment(2024, 6, 15, 12, 0, 0);
    Check(
        {
            {"PXL_20211231_235959123.jpg", "2022:01:01 00:59:59", "Pixel"},
            {"PXL_20210701_120000000.jpg", "2021:07:01 14:00:00", "Pixel"},  // summer time
            {"PXL_20240615_095959999.jpg", "2024:06:15 11:59:59", "Pixel"},
            {"PXL_20240615_100001000.jpg", "passed over: after now", "Pixel"},
            {"IMG_20211231_235959.jpg", "2021:12:31 23:59:59", "Android cameras"},
        },
        schemes);
}

// A WhatsApp name holds the day the photo was received or saved.
TEST(PhotoName, WhatsAppTakesTheFileTimeOfThatDayElseNoon) {
    const TNameSchemes schemes = Schemes(true);
    const std::string name = "IMG-20200101-WA0007.jpg";
    EXPECT_EQ(Read(name, schemes, {Moment(2020, 1, 1, 17, 18, 19)}).first, "2020:01:01 17:18:19");
    EXPECT_EQ(Read(name, schemes, {Moment(2020, 1, 2, 0, 0, 1)}).first, "2020:01:01 12:00:00");
    EXPECT_EQ(Read("IMG-20240615-WA0001.jpg", schemes, {Moment(2024, 6, 15, 9, 0, 0)}).first,
              "2024:06:15 09:00:00");
}

TEST(PhotoName, OwnPatternIsReadAfterAnyLetters) {
    TNameSchemes schemes = Schemes(false);
    std::string error;
    TNamePattern pattern;
    ASSERT_TRUE(TNamePattern::Parse("%d.%m.%Y", false, pattern, error)) << error;
    schemes.own = pattern;
    Check(
        {
            {"24.07.2019.jpg", "2019:07:24 00:00:00", "pattern %d.%m.%Y"},
            {"Foto24.07.2019_2.JPG", "2019:07:24 00:00:00", "pattern %d.%m.%Y"},
            {"Foto 24.07.2019.jpg", "", ""},  // a prefix of letters only
            {"24.07.20191.jpg", "", ""},
            {"31.02.2019.jpg", "passed over: no such date or time", "pattern %d.%m.%Y"},
            {"15-06-07_1230.jpg", "2007:06:15 12:30:00", "camera phones"},
        },
        schemes);
    ASSERT_TRUE(TNamePattern::Parse("x%y%m%d-%H%M", false, pattern, error)) << error;
    schemes.own = pattern;
    Check({{"X990724-2359.jpg", "1999:07:24 23:59:00", "pattern x%y%m%d-%H%M"}}, schemes);
}

TEST(PhotoName, VideosAreNamedInTheSameSchemesWithVideoExtensions) {
    Check(
        {
            {"VID_20190723_184512.mp4", "2019:07:23 18:45:12", "Android cameras"},
            {"VID-20200101-WA0003.MP4", "2020:01:01 12:00:00", "WhatsApp"},
            {"PXL_20211231_235959123.mp4", "2021:12:31 23:59:59", "Pixel"},
            {"20190724_091011~2.mov", "2019:07:24 09:10:11", "Samsung and others"},
            {"signal-2022-03-04-050607.m4v", "2022:03:04 05:06:07", "Signal"},
            {"15-06-07_1230.3gp", "2007:06:15 12:30:00", "camera phones"},
            {"15-06-07_1230 (2).3G2", "2007:06:15 12:30:00", "camera phones"},
            {"IMG_20190723_184512.mp4", "", ""},   // a photo's prefix
            {"VID_20190723_184512.jpg", "", ""},   // a photo's extension
            {"15-06-07_1230.jpg", "", ""},         // the camera phones' too
            {"VID_20190723_1845123.mp4", "", ""},  // the digits run on
            {"VID_20190723_184512.mp4.part", "", ""},
        },
        Schemes(true), {}, TNameKind::Video);
    EXPECT_EQ(Read("15-06-07_1230.3gp", Schemes(false), {}, TNameKind::Video).second,
              "camera phones");
    EXPECT_EQ(Read("VID_20190723_184512.mp4", Schemes(false), {}, TNameKind::Video).second, "");
    EXPECT_TRUE(IsVideoName("a.MOV"));
    EXPECT_FALSE(IsVideoName("a.mp4.jpg"));
}
