#include "app/NamePattern.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

TEST(NamePattern, RefusesWhatIsNoDatePattern) {
    const std::pair<const char*, const char*> cases[] = {
        {"%Y%m%d_%Q", "unknown field %Q"},
        {"%Y%m%d%#", "unknown field %#"},
        {"%Y%y%m%d", "field %y given twice"},
        {"%Y%m%d%M%M", "field %M given twice"},
        {"%Y%m", "the pattern needs a year (%Y or %y), a month (%m) and a day (%d)"},
        {"%Y%m%d%", "the pattern ends with a lone %"},
    };
    for (const auto& [text, reason] : cases) {
        TNamePattern pattern;
        std::string error;
        EXPECT_FALSE(TNamePattern::Parse(text, false, pattern, error)) << text;
        EXPECT_EQ(error, reason) << text;
    }
    TNamePattern pattern;
    std::string error;
    ASSERT_TRUE(TNamePattern::Parse("100%%_%Y%m%d", false, pattern, error));
    TNameFields fields;
    EXPECT_EQ(pattern.Match("100%_20190724.jpg", 0, fields), 13u);
    EXPECT_EQ(fields.year, 2019);
    EXPECT_EQ(pattern.Match("100%_2019072", 0, fields), std::string::npos);  // cut short
}
