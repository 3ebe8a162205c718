#include "framework/ProgramLanguage.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Sets the three locale variables for one scope; an empty value unsets it.
class LocaleVariables {
  public:
    LocaleVariables(const char* all, const char* messages, const char* lang) {
        Set("LC_ALL", all);
        Set("LC_MESSAGES", messages);
        Set("LANG", lang);
    }
    ~LocaleVariables() {
        Set("LC_ALL", "C.UTF-8");
        Set("LC_MESSAGES", "");
        Set("LANG", "C.UTF-8");
    }

  private:
    static void Set(const char* name, const char* value) {
        if (*value != 0)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
};

}  // namespace

TEST(ProgramLanguageTest, LanguageOfLocale_RussianEnglishOrAsWritten) {
    const std::pair<const char*, TLanguage> cases[] = {
        {"ru_RU.UTF-8", TLanguage::Russian},
        {"ru", TLanguage::Russian},
        {"ru_UA.KOI8-U@euro", TLanguage::Russian},
        {"en_US.UTF-8", TLanguage::English},
        {"de_DE", TLanguage::English},
        {"rue_UA", TLanguage::English},
        {"C", TLanguage::AsWritten},
        {"C.UTF-8", TLanguage::AsWritten},
        {"C.utf8", TLanguage::AsWritten},
        {"POSIX", TLanguage::AsWritten},
        {"", TLanguage::AsWritten},
    };
    for (auto [name, language] : cases)
        EXPECT_EQ(LanguageOfLocale(name), language) << name;
}

TEST(ProgramLanguageTest, MessagesLocaleName_AllThenMessagesThenLang) {
    const struct {
        const char *all, *messages, *lang, *name;
    } cases[] = {
        {"ru_RU.UTF-8", "en_US.UTF-8", "de_DE", "ru_RU.UTF-8"},
        {"", "en_US.UTF-8", "ru_RU.UTF-8", "en_US.UTF-8"},
        {"", "", "ru_RU.UTF-8", "ru_RU.UTF-8"},
        {"", "", "", "C"},
    };
    for (const auto& c : cases) {
        LocaleVariables variables(c.all, c.messages, c.lang);
        EXPECT_EQ(MessagesLocaleName(), c.name) << c.all << "|" << c.messages << "|" << c.lang;
    }
}

// Arguments go in once, as bytes: a name holding "%2" or bytes that are not
// UTF-8 comes out as it is; a number without an argument stays.
TEST(ProgramLanguageTest, Translated_FillsArgumentsInOnePassByteForByte) {
    EXPECT_EQ(Translated("Test", "Cannot open %1.\r\n(%2.)", {"a%2b\xff.jpg", "Is a directory"}),
              "Cannot open a%2b\xff.jpg.\r\n(Is a directory.)");
    EXPECT_EQ(Translated("Test", "%3 and %1%", {"x"}), "%3 and x%");
}
