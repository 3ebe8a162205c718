// kadrimarkexif: start-up. Reads the command line, creates the application
// (or says in one line that there is no display), names it, creates the main
// window and runs the message loop until that window closes.
#include <QApplication>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/DisplayCheck.h"
#include "app/ProgramIcon.h"
#include "app/StartupOptions.h"
#include "app/Unit1.h"
#include "chrome/ChromeAccessibility.h"
#include "framework/Application.h"
#include "framework/Color.h"
#include "framework/ProgramLanguage.h"
#include "shell/ListAccessibility.h"
#include "shell/ShellEnv.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

// --help needs no display, so it is answered before the windowed application
// starts, by a plain one that holds the catalogues.
int PrintHelp(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    TProgramLanguage language(LanguageOfLocale(MessagesLocaleName()));
    std::fputs(StartupHelp().c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("kadrimarkexif: standard output");
        return 1;
    }
    return 0;
}

int Usage(const std::string& error) {
    QString tryHelp = QCoreApplication::translate("TStartupOptions", "Try 'kadrimarkexif --help'.");
    std::fprintf(stderr, "kadrimarkexif: %s\n%s\n", error.c_str(), qPrintable(tryHelp));
    return 2;
}

// A folder that cannot be opened leaves the window on the desktop, and says so.
void OpenStartFolder(TForm1& form, const std::string& folder) {
    std::string problem = FolderProblem(folder);
    if (problem.empty() && !form.OpenFolder(folder))
        problem = QCoreApplication::translate("TStartupOptions", "cannot be shown").toStdString();
    if (problem.empty())
        return;
    QString message = QCoreApplication::translate("TStartupOptions", "%1; starting on the desktop");
    std::fprintf(stderr, "kadrimarkexif: %s: %s\n", folder.c_str(),
                 qPrintable(message.arg(QString::fromStdString(problem))));
}

}  // namespace

int main(int argc, char** argv) {
    if (ParseStartupOptions(Arguments(argc, argv)).Help)
        return PrintHelp(argc, argv);
    std::optional<QApplication> app;
    StartOrExit([&] { app.emplace(argc, argv); });  // takes Qt's own options out of argv
    TProgramLanguage language(LanguageOfLocale(MessagesLocaleName()));
    TStartupOptions options = ParseStartupOptions(Arguments(argc, argv));
    if (!options.Error.empty())
        return Usage(options.Error);
    UseDesktopColorScheme();
    TShellEnvScope shellEnv;
    InstallChromeAccessibility();
    InstallListAccessibility();
    Application->Title = "KadrimarkExif";
    TForm1 form;
    QApplication::setWindowIcon(ProgramIcon());
    form.Show();
    if (!options.Folder.empty())
        OpenStartFolder(form, options.Folder);
    return QApplication::exec();
}
