#include "framework/DateTime.h"

#include <QDateTime>
#include <QLocale>
#include <cctype>
#include <optional>

namespace {

std::function<TDateTime()> currentClock;
std::optional<TFormatSettings> settings;

TDateTime SystemNow() {
    QDateTime now = QDateTime::currentDateTime();
    QDate d = now.date();
    QTime t = now.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()};
}

// A Qt date/time pattern in the program's format language.
std::string FromQtPattern(const QString& pattern) {
    std::string out;
    QString p = pattern;
    for (int i = 0; i < p.size();) {
        QChar c = p[i];
        int run = 1;
        while (i + run < p.size() && p[i + run] == c)
            ++run;
        if (c == '\'') {
            int end = p.indexOf('\'', i + 1);
            if (end < 0)
                end = p.size();
            out += '"' + p.mid(i + 1, end - i - 1).toStdString() + '"';
            i = end + 1;
            continue;
        }
        std::string token = p.mid(i, run).toStdString();
        if (c == 'M')
            token = std::string(run, 'm');
        else if (c == 'm')
            token = std::string(run, 'n');
        else if (c == 'H')
            token = std::string(run, 'h');
        else if (c == 'A' || c == 'a') {
            token = "AMPM";  // Qt's "AP", "ap", "A" and "a" are all one marker
            if (run == 1 && i + 1 < p.size() && (p[i + 1] == 'P' || p[i + 1] == 'p'))
                run = 2;
        } else if (c == 't')
            token.clear();
        out += token;
        i += run;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::vector<std::string> Names(const QLocale& locale, bool months, QLocale::FormatType type) {
    std::vector<std::string> names;
    if (months)
        for (int m = 1; m <= 12; ++m)
            names.push_back(locale.monthName(m, type).toStdString());
    else
        for (int d : {7, 1, 2, 3, 4, 5, 6})
            names.push_back(locale.dayName(d, type).toStdString());
    return names;
}

}  // namespace

// Built in one piece: the separators are constructed, not assigned (GCC 12
// misreads a short literal assigned to a string at -O3 as an overlapping copy).
TFormatSettings LocaleFormatSettings(const QLocale& locale) {
    return {
        .ShortDateFormat = FromQtPattern(locale.dateFormat(QLocale::ShortFormat)),
        .LongDateFormat = FromQtPattern(locale.dateFormat(QLocale::LongFormat)),
        .ShortTimeFormat = FromQtPattern(locale.timeFormat(QLocale::ShortFormat)),
        .LongTimeFormat = FromQtPattern(locale.timeFormat(QLocale::LongFormat)),
        .DateSeparator = "/",
        .TimeSeparator = ":",
        .TimeAMString = locale.amText().toStdString(),
        .TimePMString = locale.pmText().toStdString(),
        .ShortMonthNames = Names(locale, true, QLocale::ShortFormat),
        .LongMonthNames = Names(locale, true, QLocale::LongFormat),
        .ShortDayNames = Names(locale, false, QLocale::ShortFormat),
        .LongDayNames = Names(locale, false, QLocale::LongFormat),
    };
}

namespace {

bool StartsWithNoCase(const std::string& s, size_t at, const char* word) {
    for (size_t i = 0; word[i] != 0; ++i)
        if (at + i >= s.size() || std::tolower(static_cast<unsigned char>(s[at + i])) != word[i])
            return false;
    return true;
}

std::string Padded(int value, int width) {
    std::string digits = std::to_string(value);
    return std::string(digits.size() < size_t(width) ? width - digits.size() : 0, '0') + digits;
}

// Day of the week, 0 = Sunday.
int DayOfWeek(const TDateTime& v) {
    return QDate(v.Year, v.Month, v.Day).dayOfWeek() % 7;
}

class Formatter {
  public:
    Formatter(const TDateTime& value) : v_(value), s_(FormatSettings()) {}

    std::string Run(const std::string& format, int depth = 0) {
        std::string f = format.empty() ? "c" : format;
        twelveHour_ = HasAmPm(f);
        std::string out;
        bool afterHour = false;
        for (size_t i = 0; i < f.size();) {
            char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
            size_t run = 1;
            while (i + run < f.size() && std::tolower(static_cast<unsigned char>(f[i + run])) == c)
                ++run;
            if (c == '"' || c == '\'') {
                size_t end = f.find(f[i], i + 1);
                end = end == std::string::npos ? f.size() : end;
                out += f.substr(i + 1, end - i - 1);
                i = end + 1;
                continue;
            }
            if (c == 'a' && AmPm(f, i, out))
                continue;
            bool hour = false;
            out += Token(c, run, afterHour, hour, depth);
            if (hour || (c != ' ' && c != ':'))
                afterHour = hour;
            i += run;
        }
        return out;
    }

  private:
    static bool HasAmPm(const std::string& f) {
        for (size_t i = 0; i < f.size(); ++i)
            if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") ||
                StartsWithNoCase(f, i, "ampm"))
                return true;
        return false;
    }

    bool AmPm(const std::string& f, size_t& i, std::string& out) const {
        bool pm = v_.Hour >= 12;
        if (StartsWithNoCase(f, i, "am/pm")) {
            out += pm ? "pm" : "am";
            i += 5;
        } else if (StartsWithNoCase(f, i, "a/p")) {
            out += pm ? "p" : "a";
            i += 3;
        } else if (StartsWithNoCase(f, i, "ampm")) {
            out += pm ? s_.TimePMString : s_.TimeAMString;
            i += 4;
        } else {
            return false;
        }
        return true;
    }

    std::string Repeat(const std::string& text, size_t run) const {
        std::string out;
        for (size_t k = 0; k < run; ++k)
            out += text;
        return out;
    }

    std::string Nested(const std::string& format, int depth) {
        if (depth > 2)
            return {};
        bool twelve = twelveHour_;
        std::string out = Run(format, depth + 1);
        twelveHour_ = twelve;
        return out;
    }

    std::string Token(char c, size_t run, bool afterHour, bool& hour, int depth) {
        switch (c) {
            case 'c':
                return Nested(s_.ShortDateFormat, depth) + " " + Nested(s_.LongTimeFormat, depth);
            case 'd':
                return Day(run, depth);
            case 'm':
                if (afterHour && run <= 2)
                    return Padded(v_.Minute, int(run));
                return Month(run);
            case 'y':
                return run <= 2 ? Padded(v_.Year % 100, 2) : Padded(v_.Year, 4);
            case 'h': {
                hour = true;
                int h = twelveHour_ ? (v_.Hour % 12 == 0 ? 12 : v_.Hour % 12) : v_.Hour;
                return Padded(h, run >= 2 ? 2 : 1);
            }
            case 'n':
                return Padded(v_.Minute, run >= 2 ? 2 : 1);
            case 's':
                return Padded(v_.Second, run >= 2 ? 2 : 1);
            case 'z':
                return Padded(v_.Millisecond, run >= 3 ? 3 : 1);
            case 't':
                return Nested(run >= 2 ? s_.LongTimeFormat : s_.ShortTimeFormat, depth);
            case '/':
                return Repeat(s_.DateSeparator, run);
            case ':':
                return Repeat(s_.TimeSeparator, run);
            default:
                return std::string(run, c);
        }
    }

    std::string Day(size_t run, int depth) {
        switch (run) {
            case 1:
            case 2:
                return Padded(v_.Day, int(run));
            case 3:
                return s_.ShortDayNames.at(DayOfWeek(v_));
            case 4:
                return s_.LongDayNames.at(DayOfWeek(v_));
            case 5:
                return Nested(s_.ShortDateFormat, depth);
            default:
                return Nested(s_.LongDateFormat, depth);
        }
    }

    std::string Month(size_t run) const {
        if (run <= 2)
            return Padded(v_.Month, int(run));
        return (run == 3 ? s_.ShortMonthNames : s_.LongMonthNames).at(v_.Month - 1);
    }

    const TDateTime& v_;
    const TFormatSettings& s_;
    bool twelveHour_ = false;
};

}  // namespace

TDateTime Now() {
    return currentClock ? currentClock() : SystemNow();
}

void SetClock(std::function<TDateTime()> newClock) {
    currentClock = std::move(newClock);
}

const TFormatSettings& FormatSettings() {
    if (!settings)
        settings = LocaleFormatSettings(QLocale::system());
    return *settings;
}

void SetFormatSettings(const TFormatSettings& newSettings) {
    settings = newSettings;
}

std::string FormatDateTime(const std::string& format, const TDateTime& value) {
    return Formatter(value).Run(format);
}
