#include "framework/ProgramLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <cstdlib>

namespace {

// The programs' catalogues are built into them (see translations/).
const char* const kOwnCatalogues = ":/i18n";

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// "ru" of "ru_RU.UTF-8@euro".
std::string LanguagePart(const std::string& localeName) {
    return localeName.substr(0, localeName.find_first_of("_.@"));
}

}  // namespace

std::string MessagesLocaleName() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string value = Variable(name);
        if (!value.empty())
            return value;
    }
    return "C";
}

TLanguage LanguageOfLocale(const std::string& localeName) {
    std::string language = LanguagePart(localeName);
    if (language == "ru")
        return TLanguage::Russian;
    if (language.empty() || language == "C" || language == "POSIX")
        return TLanguage::AsWritten;
    return TLanguage::English;
}

std::string Translated(const char* context, const char* text,
                       std::initializer_list<std::string_view> args) {
    const std::string pattern = QCoreApplication::translate(context, text).toStdString();
    std::string result;
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        const char next = at + 1 < pattern.size() ? pattern[at + 1] : 0;
        const bool numbered = pattern[at] == '%' && next >= '1' && next <= '9';
        const std::size_t index = numbered ? static_cast<std::size_t>(next - '1') : args.size();
        if (index < args.size()) {
            result += args.begin()[index];
            ++at;
        } else {
            result += pattern[at];
        }
    }
    return result;
}

TProgramLanguage::TProgramLanguage(TLanguage language) {
    if (language == TLanguage::AsWritten)
        return;
    QString suffix = language == TLanguage::Russian ? "ru" : "en";
    Install("kadrimarkexif_" + suffix, kOwnCatalogues);
    Install("qtbase_" + suffix, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

TProgramLanguage::~TProgramLanguage() {
    for (auto& translator : translators_)
        QCoreApplication::removeTranslator(translator.get());
}

// A catalogue that is missing (Qt's translations not installed) leaves its
// texts as written.
void TProgramLanguage::Install(const QString& catalogue, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(catalogue, folder) &&
        QCoreApplication::installTranslator(translator.get()))
        translators_.push_back(std::move(translator));
}
