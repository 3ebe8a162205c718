#include "app/NamePattern.h"

#include <QCoreApplication>
#include <set>

namespace {

// Why a pattern is refused, in the program's language.
std::string Translated(const char* text) {
    return QCoreApplication::translate("TNamePattern", text).toStdString();
}

std::string Translated(const char* text, char field) {
    QString message = QCoreApplication::translate("TNamePattern", text);
    return message.arg(QString::fromStdString(std::string(1, field))).toStdString();
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The digits at `at` as a number, or -1 when the name has fewer digits there.
int Digits(const std::string& name, std::size_t at, int count) {
    if (at + static_cast<std::size_t>(count) > name.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        char c = name[at + static_cast<std::size_t>(i)];
        if (!IsDigit(c))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

bool TNamePattern::Parse(const std::string& text, bool digitsToSkip, TNamePattern& pattern,
                         std::string& error) {
    pattern.text_ = text;
    pattern.tokens_.clear();
    std::set<Kind> seen;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            pattern.tokens_.push_back({Kind::Literal, text[i]});
            continue;
        }
        if (++i == text.size()) {
            error = Translated(QT_TRANSLATE_NOOP("TNamePattern", "the pattern ends with a lone %"));
            return false;
        }
        Kind kind;
        switch (text[i]) {
            case '%':
                pattern.tokens_.push_back({Kind::Literal, '%'});
                continue;
            case 'Y':
                kind = Kind::Year;
                break;
            case 'y':
                kind = Kind::ShortYear;
                break;
            case 'm':
                kind = Kind::Month;
                break;
            case 'd':
                kind = Kind::Day;
                break;
            case 'H':
                kind = Kind::Hour;
                break;
            case 'M':
                kind = Kind::Minute;
                break;
            case 'S':
                kind = Kind::Second;
                break;
            case '#':
                if (digitsToSkip) {
                    pattern.tokens_.push_back({Kind::Digit, 0});
                    continue;
                }
                [[fallthrough]];
            default:
                error = Translated(QT_TRANSLATE_NOOP("TNamePattern", "unknown field %%1"), text[i]);
                return false;
        }
        bool year = kind == Kind::Year || kind == Kind::ShortYear;
        if (!seen.insert(year ? Kind::Year : kind).second) {
            error = Translated(QT_TRANSLATE_NOOP("TNamePattern", "field %%1 given twice"), text[i]);
            return false;
        }
        pattern.tokens_.push_back({kind, 0});
    }
    if (!seen.contains(Kind::Year) || !seen.contains(Kind::Month) || !seen.contains(Kind::Day)) {
        error = Translated(QT_TRANSLATE_NOOP(
            "TNamePattern", "the pattern needs a year (%Y or %y), a month (%m) and a day (%d)"));
        return false;
    }
    return true;
}

std::size_t TNamePattern::Match(const std::string& name, std::size_t at,
                                TNameFields& fields) const {
    fields = {};
    for (const Token& token : tokens_) {
        if (token.kind == Kind::Literal) {
            if (at >= name.size() || Lower(name[at]) != Lower(token.literal))
                return std::string::npos;
            ++at;
            continue;
        }
        const int width = token.kind == Kind::Year ? 4 : token.kind == Kind::Digit ? 1 : 2;
        const int value = Digits(name, at, width);
        if (value < 0)
            return std::string::npos;
        at += static_cast<std::size_t>(width);
        switch (token.kind) {
            case Kind::Year:
                fields.year = value;
                break;
            case Kind::ShortYear:
                fields.shortYear = value;
                break;
            case Kind::Month:
                fields.month = value;
                break;
            case Kind::Day:
                fields.day = value;
                break;
            case Kind::Hour:
                fields.hour = value;
                break;
            case Kind::Minute:
                fields.minute = value;
                break;
            case Kind::Second:
                fields.second = value;
                break;
            case Kind::Digit:
            case Kind::Literal:
                break;
        }
    }
    return at;
}
