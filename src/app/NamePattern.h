#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The date part of a file name written as a pattern, in strftime's fields:
//   %Y  four-digit year        %m  month, two digits    %d  day, two digits
//   %y  two-digit year         %H  hour, two digits     %M  minute, two digits
//   %S  second, two digits     %%  a percent sign
// Every other character stands for itself; letters match either case. The
// name table's own rows may also use %# for one digit that is not read (the
// milliseconds or the counter some phones add). A pattern names a year, a
// month and a day, each field at most once; the time fields may be left out
// (they read as 0).

// The fields a name gave; -1 for a field its pattern does not have.
struct TNameFields {
    int year = -1;       // four digits
    int shortYear = -1;  // two digits (the century is the reader's to decide)
    int month = -1;
    int day = -1;
    int hour = -1;
    int minute = -1;
    int second = -1;
};

class TNamePattern {
  public:
    // Reads `text`. Returns false, with the reason in `error`, when it is no
    // pattern: an unknown field, a field twice, no year, month or day, a
    // lone % at its end. %# is accepted only with `digitsToSkip`.
    static bool Parse(const std::string& text, bool digitsToSkip, TNamePattern& pattern,
                      std::string& error);

    // Matches the name from `at` on; returns the position after the match, or
    // std::string::npos when the name does not have the pattern's form there.
    std::size_t Match(const std::string& name, std::size_t at, TNameFields& fields) const;

    const std::string& Text() const { return text_; }

  private:
    enum class Kind { Literal, Year, ShortYear, Month, Day, Hour, Minute, Second, Digit };
    struct Token {
        Kind kind;
        char literal;  // for Literal
    };
    std::string text_;
    std::vector<Token> tokens_;
};
