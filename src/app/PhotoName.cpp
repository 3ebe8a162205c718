#include "app/PhotoName.h"

#include <QtGlobal>
#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace {

// The time zone a name's moment is written in.
enum class TZoneRule {
    Local,  // the phone's own clock, as the photo's date is written
    Utc,    // written as the moment's local time here
};

// Where the time of day comes from.
enum class TTimeRule {
    FromName,  // the name's (00 for fields it lacks)
    // The name holds only the day the photo was received or saved: the time
    // of the file's modification when that falls on that day, else noon.
    FileTimeThatDay,
};

struct TScheme {
    const char* name;
    const char* pattern;  // NamePattern.h, with %# for digits not read
    const char* example;
    TZoneRule zone;
    TTimeRule time;
    bool byDefault = false;      // in force without TNameSchemes::all
    bool folderOrder = false;    // day and month first as the folder decides (TDayOrder)
    bool anythingAfter = false;  // any end after the date part, as the camera phones' rule was
    const char* videoPattern = nullptr;  // when the scheme's videos are named otherwise
};

constexpr TZoneRule L = TZoneRule::Local;
constexpr TTimeRule N = TTimeRule::FromName;

constexpr std::array kSchemes = {
    TScheme{"camera phones", "%d-%m-%y_%H%M", "15-06-07_1230.jpg", L, N, true, true, true},
    TScheme{"Android cameras", "IMG_%Y%m%d_%H%M%S", "IMG_20190723_184512.jpg", L, N, false, false,
            false, "VID_%Y%m%d_%H%M%S"},
    TScheme{"Samsung and others", "%Y%m%d_%H%M%S", "20190724_091011.jpg", L, N},
    TScheme{"Pixel", "PXL_%Y%m%d_%H%M%S%#%#%#", "PXL_20211231_235959123.jpg", TZoneRule::Utc, N},
    TScheme{"Signal", "signal-%Y-%m-%d-%H%M%S", "signal-2022-03-04-050607.jpg", L, N},
    TScheme{"screenshots", "Screenshot_%Y%m%d-%H%M%S", "Screenshot_20230102-030405.jpg", L, N},
    TScheme{"camera uploads", "%Y-%m-%d %H.%M.%S", "2018-05-06 07.08.09.jpg", L, N},
    TScheme{"Sony", "image%Y%m%d_%H%M%S%#%#%#", "image20190725_101112345.jpg", L, N},
    TScheme{"older messengers", "%Y-%m-%d_%H.%M.%S", "2014-08-25_17.15.33.jpg", L, N},
    TScheme{"fourteen digits", "%Y%m%d%H%M%S", "20090506121211.jpg", L, N},
    TScheme{"WhatsApp", "IMG-%Y%m%d-WA%#%#%#%#", "IMG-20200101-WA0007.jpg", L,
            TTimeRule::FileTimeThatDay, false, false, false, "VID-%Y%m%d-WA%#%#%#%#"},
};

constexpr int kEarliestYear = 1990;
constexpr int kNoon = 12;

// Each row's pattern for the kind of name (TNameKind as index).
const std::vector<std::array<TNamePattern, 2>>& SchemePatterns() {
    static const std::vector<std::array<TNamePattern, 2>> patterns = [] {
        std::vector<std::array<TNamePattern, 2>> parsed(kSchemes.size());
        std::string error;
        for (std::size_t i = 0; i < kSchemes.size(); ++i) {
            const TScheme& scheme = kSchemes[i];
            TNamePattern::Parse(scheme.pattern, true, parsed[i][0], error);
            TNamePattern::Parse(scheme.videoPattern ? scheme.videoPattern : scheme.pattern, true,
                                parsed[i][1], error);
        }
        return parsed;
    }();
    return patterns;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool EndsWithFolded(const std::string& name, const std::string& end) {
    if (name.size() < end.size())
        return false;
    for (std::size_t i = 0; i < end.size(); ++i) {
        char c = name[name.size() - end.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != end[i])
            return false;
    }
    return true;
}

// The length of the name without its extension of the kind; npos for
// another name.
std::size_t StemLength(const std::string& name, TNameKind kind) {
    static const std::vector<std::string> kPhoto{".jpg", ".jpeg"};
    static const std::vector<std::string> kVideo{".3gp", ".3g2", ".mp4", ".m4v", ".mov"};
    for (const std::string& extension : kind == TNameKind::Photo ? kPhoto : kVideo) {
        if (EndsWithFolded(name, extension))
            return name.size() - extension.size();
    }
    return std::string::npos;
}

// Whether what follows a date part ending at `end` may: an extension of the
// kind, with anything before it that does not continue the date's digits.
bool EndsAs(const std::string& name, std::size_t end, TNameKind kind) {
    std::size_t stem = StemLength(name, kind);
    return stem != std::string::npos && end <= stem && (end == stem || !IsDigit(name[end]));
}

// Where a scheme's date part ends in the name, or npos when it has not its
// form. The camera phones' photos may end in anything.
std::size_t MatchScheme(std::size_t row, const std::string& name, TNameFields& fields,
                        TNameKind kind = TNameKind::Photo) {
    std::size_t end = SchemePatterns()[row][static_cast<int>(kind)].Match(name, 0, fields);
    if (end == std::string::npos || EndsAs(name, end, kind) ||
        (kSchemes[row].anythingAfter && kind == TNameKind::Photo))
        return end;
    return std::string::npos;
}

// The user's pattern, at the name's start after any run of letters.
std::size_t MatchOwn(const TNamePattern& pattern, const std::string& name, TNameFields& fields,
                     TNameKind kind) {
    for (std::size_t at = 0; at <= name.size(); ++at) {
        std::size_t end = pattern.Match(name, at, fields);
        if (end != std::string::npos && EndsAs(name, end, kind))
            return end;
        if (at == name.size() ||
            !((name[at] >= 'a' && name[at] <= 'z') || (name[at] >= 'A' && name[at] <= 'Z')))
            break;
    }
    return std::string::npos;
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsRealDay(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    return day <= (month == 2 && IsLeap(year) ? 29 : kDays[month - 1]);
}

std::tm LocalTime(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

TShotTime ShotOf(const std::tm& tm) {
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::tm TmOf(const TShotTime& shot) {
    std::tm tm{};
    tm.tm_year = shot.year - 1900;
    tm.tm_mon = shot.month - 1;
    tm.tm_mday = shot.day;
    tm.tm_hour = shot.hour;
    tm.tm_min = shot.minute;
    tm.tm_sec = shot.second;
    tm.tm_isdst = -1;
    return tm;
}

bool SameDay(const TShotTime& a, const TShotTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// 20YY, or 19YY when 20YY gives a day after today.
int CenturyYear(const TNameFields& fields, const TShotTime& today) {
    int year = 2000 + fields.shortYear;
    bool later =
        TShotTime{year, fields.month, fields.day} > TShotTime{today.year, today.month, today.day};
    return later ? year - 100 : year;
}

TNameReading Passed(const char* scheme, TNamePass pass) {
    return {scheme, std::nullopt, 0, pass};
}

// The fields as a day and time of the calendar, or nothing when the calendar has no such
// day or time. Whether the moment is too early or still to come is the caller's question, so
// that such a name never tells which of day and month comes first.
std::optional<TShotTime> CalendarShot(const TNameFields& fields, std::time_t now) {
    TShotTime shot{fields.year >= 0 ? fields.year : CenturyYear(fields, ShotOf(LocalTime(now))),
                   fields.month,
                   fields.day,
                   std::max(fields.hour, 0),
                   std::max(fields.minute, 0),
                   std::max(fields.second, 0)};
    if (!IsRealDay(shot.year, shot.month, shot.day) || shot.hour > 23 || shot.minute > 59 ||
        shot.second > 59)
        return std::nullopt;
    return shot;
}

// A local time that the clocks skipped (the hour a summer time begins) names no instant.
bool IsSkippedLocalTime(const TShotTime& shot, std::time_t instant) {
    return ShotOf(LocalTime(instant)) != shot;
}

// The moment of a scheme's fields, with its rules.
TNameReading Moment(const TScheme& scheme, const TNameFields& fields, std::time_t modified,
                    std::time_t now) {
    std::optional<TShotTime> named = CalendarShot(fields, now);
    if (!named)
        return Passed(scheme.name, TNamePass::NoSuchMoment);
    TShotTime shot = *named;
    if (scheme.time == TTimeRule::FileTimeThatDay) {
        TShotTime file = ShotOf(LocalTime(modified));
        shot = SameDay(file, shot) ? file : TShotTime{shot.year, shot.month, shot.day, kNoon};
    }
    std::tm tm = TmOf(shot);
    std::time_t instant = scheme.zone == TZoneRule::Utc ? timegm(&tm) : std::mktime(&tm);
    if (scheme.zone == TZoneRule::Utc)
        shot = ShotOf(LocalTime(instant));
    else if (IsSkippedLocalTime(shot, instant))
        return Passed(scheme.name, TNamePass::NoSuchMoment);
    // A two-digit year read as 19YY is one whose 20YY lies after now: that is
    // why the name gives no date, not the 19YY.
    const bool centuryBack = fields.year < 0 && shot.year < 2000;
    if (shot.year < kEarliestYear)
        return Passed(scheme.name, centuryBack ? TNamePass::AfterNow : TNamePass::BeforeEarliest);
    if (instant > now)
        return Passed(scheme.name, TNamePass::AfterNow);
    return {scheme.name, shot, instant};
}

TNameFields MonthFirst(TNameFields fields) {
    std::swap(fields.day, fields.month);
    return fields;
}

// A camera-phone name in the folder's order.
TNameReading InFolderOrder(const TScheme& scheme, const TNameFields& fields,
                           const TNameContext& file, std::time_t now) {
    if (file.order != TDayOrder::Mixed) {
        return Moment(scheme, file.order == TDayOrder::DayFirst ? fields : MonthFirst(fields),
                      file.modified, now);
    }
    std::optional<TShotTime> dayFirst = CalendarShot(fields, now);
    std::optional<TShotTime> monthFirst = CalendarShot(MonthFirst(fields), now);
    if (dayFirst && monthFirst && dayFirst != monthFirst)
        return Passed(scheme.name, TNamePass::DayOrMonth);
    return Moment(scheme, dayFirst || !monthFirst ? fields : MonthFirst(fields), file.modified,
                  now);
}

bool InForce(const TScheme& scheme, const TNameSchemes& schemes) {
    return scheme.byDefault || schemes.all;
}

// Whether the user's pattern has the name, a name of the kind, in its form:
// the table then has no say in it.
bool OwnPatternHas(const std::string& name, const TNameSchemes& schemes, TNameKind kind,
                   TNameFields& fields) {
    return schemes.own && MatchOwn(*schemes.own, name, fields, kind) != std::string::npos;
}

}  // namespace

std::string DateText(const TShotTime& shot) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", shot.year % 10000, shot.month,
                  shot.day, shot.hour, shot.minute, shot.second);
    return text;
}

const char* DayOrderText(TDayOrder order) {
    switch (order) {
        case TDayOrder::DayFirst:
            return QT_TRANSLATE_NOOP("StampCli", "day first");
        case TDayOrder::MonthFirst:
            return QT_TRANSLATE_NOOP("StampCli", "month first");
        case TDayOrder::Mixed:
            break;
    }
    return QT_TRANSLATE_NOOP("StampCli", "day first and month first");
}

const char* NamePassText(TNamePass pass) {
    switch (pass) {
        case TNamePass::NoSuchMoment:
            return QT_TRANSLATE_NOOP("StampCli", "no such date or time");
        case TNamePass::BeforeEarliest:
            return QT_TRANSLATE_NOOP("StampCli", "before 1990");
        case TNamePass::AfterNow:
            return QT_TRANSLATE_NOOP("StampCli", "after now");
        case TNamePass::DayOrMonth:
            break;
    }
    return QT_TRANSLATE_NOOP("StampCli", "day and month cannot be told apart");
}

bool IsPhotoName(const std::string& name) {
    return StemLength(name, TNameKind::Photo) != std::string::npos;
}

bool IsVideoName(const std::string& name) {
    return StemLength(name, TNameKind::Video) != std::string::npos;
}

TNameReading ReadPhotoName(const std::string& name, const TNameContext& file,
                           const TNameSchemes& schemes, TNameKind kind) {
    TNameFields fields;
    if (OwnPatternHas(name, schemes, kind, fields)) {
        static constexpr TScheme kOwn{"", "", "", L, N};
        TNameReading reading = Moment(kOwn, fields, file.modified, schemes.now);
        reading.scheme = "pattern " + schemes.own->Text();
        return reading;
    }
    std::optional<TNameReading> first;
    auto consider = [&](TNameReading reading) {
        if (!first || (!first->shot && reading.shot))
            first = std::move(reading);
        return first->shot.has_value();
    };
    for (std::size_t row = 0; row < kSchemes.size(); ++row) {
        const TScheme& scheme = kSchemes[row];
        if (!InForce(scheme, schemes) || MatchScheme(row, name, fields, kind) == std::string::npos)
            continue;
        if (consider(scheme.folderOrder ? InFolderOrder(scheme, fields, file, schemes.now)
                                        : Moment(scheme, fields, file.modified, schemes.now)))
            return *first;
    }
    return first.value_or(TNameReading{});
}

bool HasSchemeForm(const std::string& name, const TNameSchemes& schemes, TNameKind kind) {
    return !ReadPhotoName(name, {}, schemes, kind).scheme.empty();
}

std::optional<TDayOrder> FolderDayOrder(const std::vector<std::string>& names,
                                        const TNameSchemes& schemes) {
    bool any = false, onlyDayFirst = false, onlyMonthFirst = false;
    TNameFields fields;
    for (const std::string& name : names) {
        if (OwnPatternHas(name, schemes, TNameKind::Photo, fields) ||
            OwnPatternHas(name, schemes, TNameKind::Video, fields) ||
            MatchScheme(0, name, fields) == std::string::npos)
            continue;
        any = true;
        bool dayFirst = CalendarShot(fields, schemes.now).has_value();
        bool monthFirst = CalendarShot(MonthFirst(fields), schemes.now).has_value();
        onlyDayFirst |= dayFirst && !monthFirst;
        onlyMonthFirst |= monthFirst && !dayFirst;
    }
    if (!any)
        return std::nullopt;
    if (onlyDayFirst && onlyMonthFirst)
        return TDayOrder::Mixed;
    return onlyMonthFirst ? TDayOrder::MonthFirst : TDayOrder::DayFirst;
}

std::vector<TNameSchemeInfo> NameSchemes() {
    std::vector<TNameSchemeInfo> infos;
    for (const TScheme& scheme : kSchemes)
        infos.push_back({scheme.name, scheme.example, scheme.byDefault});
    return infos;
}
