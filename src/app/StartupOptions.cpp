#include "app/StartupOptions.h"

#include <sys/stat.h>

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <filesystem>

std::string StartupHelp() {
    QString stampCaption = QCoreApplication::translate("TForm1", "Добавить EXIF");
    return QCoreApplication::translate(
               "TStartupOptions",
               "Usage: kadrimarkexif [FOLDER]\n"
               "\n"
               "Opens the KadrimarkEXIF window: a folder tree, a file list and the command\n"
               "\"%1\", which writes an EXIF date taken from the file name into\n"
               "every photo of the shown folder named DD-MM-YY_HHMM (15-06-07_1230.jpg is\n"
               "15 June 2007, 12:30) that has no EXIF data yet.\n"
               "\n"
               "FOLDER opens selected in the folder tree, its photos listed. Without it,\n"
               "or when it does not exist or is no folder, the window starts on the\n"
               "desktop (and says why on standard error).\n"
               "\n"
               "  -h, --help  show this text and exit\n"
               "\n"
               "To stamp a folder without the window, use kadrimarkexif-stamp.\n")
        .arg(stampCaption)
        .toStdString();
}

namespace {

QString Translated(const char* text) {
    return QCoreApplication::translate("TStartupOptions", text);
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// The path made absolute, without "." and ".." steps or a trailing slash.
std::string AbsoluteFolder(const std::string& path) {
    std::filesystem::path folder = std::filesystem::absolute(path).lexically_normal();
    if (!folder.has_filename() && folder != folder.root_path())
        folder = folder.parent_path();
    return folder.string();
}

}  // namespace

TStartupOptions ParseStartupOptions(const std::vector<std::string>& args) {
    TStartupOptions options;
    std::vector<std::string> folders;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--")
            optionsEnded = true;
        else if (!optionsEnded && (arg == "--help" || arg == "-h"))
            options.Help = true;
        else if (!optionsEnded && IsOption(arg))
            options.Error = Translated(QT_TRANSLATE_NOOP("TStartupOptions", "unknown option %1"))
                                .arg(QString::fromStdString(arg))
                                .toStdString();
        else
            folders.push_back(arg);
    }
    if (options.Error.empty() && folders.size() > 1)
        options.Error =
            Translated(QT_TRANSLATE_NOOP("TStartupOptions", "one folder at most")).toStdString();
    else if (options.Error.empty() && folders.size() == 1 && folders[0].empty())
        options.Error =
            Translated(QT_TRANSLATE_NOOP("TStartupOptions", "an empty folder name")).toStdString();
    else if (folders.size() == 1)
        options.Folder = AbsoluteFolder(folders[0]);
    return options;
}

std::string FolderProblem(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return std::strerror(errno);
    if (!S_ISDIR(info.st_mode))
        return std::strerror(ENOTDIR);
    return {};
}
