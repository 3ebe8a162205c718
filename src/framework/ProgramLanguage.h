#pragma once

#include <QTranslator>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The one language the programs speak, chosen from the locale's name.
//
// The window's own texts from its first design are Russian in the code; the
// texts added since are English. A Russian locale shows everything in Russian,
// the C and POSIX locales show the texts as the code holds them, and every
// other locale shows everything in English. Qt's own dialogs speak the same
// language through Qt's catalogues. Dates, sizes and numbers follow the
// locale whatever the language.

enum class TLanguage { AsWritten, English, Russian };

// The name of the locale that decides the messages' language, as the C
// library reads it: LC_ALL, else LC_MESSAGES, else LANG; "C" when none is set.
std::string MessagesLocaleName();

// Russian for a Russian locale ("ru", "ru_RU.UTF-8"), AsWritten for C and
// POSIX with any codeset ("C.UTF-8"), English for any other.
TLanguage LanguageOfLocale(const std::string& localeName);

// The translation of `text` (marked with QT_TRANSLATE_NOOP in `context`) with
// %1, %2, ... replaced by `args` in one pass: an argument holding "%2" stays
// as it is, and arguments are copied byte for byte, so a file name that is not
// UTF-8 comes out unchanged.
std::string Translated(const char* context, const char* text,
                       std::initializer_list<std::string_view> args = {});

// Installs the catalogues of one language into the application for as long
// as it lives: the programs' own, and Qt's for its dialogs when Qt has one.
// REQUIRES: a QCoreApplication exists and outlives this object.
class TProgramLanguage {
  public:
    explicit TProgramLanguage(TLanguage language);
    ~TProgramLanguage();
    TProgramLanguage(const TProgramLanguage&) = delete;
    TProgramLanguage& operator=(const TProgramLanguage&) = delete;

  private:
    void Install(const QString& catalogue, const QString& folder);
    std::vector<std::unique_ptr<QTranslator>> translators_;
};
