#include "app/PhotoName.h"

namespace {

constexpr std::size_t kNameLength = 13;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The two digits at 0-based index `at` as a number.
int TwoDigits(const std::string& name, std::size_t at) {
    return (name[at] - '0') * 10 + (name[at + 1] - '0');
}

int DaysInMonth(int month, int year) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool HasSeparatorsAndDigits(const std::string& name) {
    for (std::size_t i = 0; i < kNameLength; ++i) {
        bool ok = i == 2 || i == 5 ? name[i] == '-' : i == 8 ? name[i] == '_' : IsDigit(name[i]);
        if (!ok)
            return false;
    }
    return true;
}

}  // namespace

bool IsPhotoName(const std::string& name) {
    if (name.size() < kNameLength || !HasSeparatorsAndDigits(name))
        return false;
    int day = TwoDigits(name, 0);
    int month = TwoDigits(name, 3);
    int year = 2000 + TwoDigits(name, 6);
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(month, year) &&
           TwoDigits(name, 9) <= 23 && TwoDigits(name, 11) <= 59;
}

std::string PhotoDateText(const std::string& name) {
    return "20" + name.substr(6, 2) + ":" + name.substr(3, 2) + ":" + name.substr(0, 2) + " " +
           name.substr(9, 2) + ":" + name.substr(11, 2) + ":00";
}
