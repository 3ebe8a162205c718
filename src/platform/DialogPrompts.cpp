#include "platform/DialogPrompts.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QThreadPool>
#include <QUrl>
#include <cstdio>

#include "framework/Application.h"
#include "platform/DropMenu.h"
#include "platform/ShellQMenu.h"

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Dialogs need the widget application; without one (a command-line run)
// every question gets its careful answer.
bool HaveWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// Every box is the program's: captioned with its title, over its active
// window.
QString Caption() {
    return Q(Application->Title);
}

QWidget* Owner() {
    return QApplication::activeWindow();
}

QString NamesOf(const std::vector<std::string>& paths) {
    QStringList names;
    for (const std::string& path : paths)
        names << QFileInfo(Q(path)).fileName();
    constexpr int kShown = 10;
    if (names.size() > kShown)
        return names.mid(0, kShown).join('\n') +
               QCoreApplication::translate("DialogPrompts", "\n… (%1 more)")
                   .arg(names.size() - kShown);
    return names.join('\n');
}

// Any thread may start a program.
bool StartDetached(const std::vector<std::string>& argv) {
    QStringList arguments;
    for (std::size_t i = 1; i < argv.size(); ++i)
        arguments << Q(argv[i]);
    return !argv.empty() && QProcess::startDetached(Q(argv[0]), arguments);
}

// Reports from another thread, through the UI thread.
void ReportLater(const std::string& text) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [text] { DialogPrompts().ReportError(text); },
        Qt::QueuedConnection);
}

class TDialogPrompts final : public IShellPrompts {
  public:
    bool ConfirmDelete(const std::vector<std::string>& paths, bool permanently) override {
        if (!HaveWidgets())
            return false;
        QString question =
            permanently
                ? QCoreApplication::translate("DialogPrompts", "Delete these items for good?\n\n%1")
                : QCoreApplication::translate("DialogPrompts",
                                              "Move these items to the Trash?\n\n%1");
        // What cannot be undone is not done by a stray Enter.
        return QMessageBox::question(Owner(), Caption(), question.arg(NamesOf(paths)),
                                     QMessageBox::Yes | QMessageBox::No,
                                     permanently ? QMessageBox::No : QMessageBox::Yes) ==
               QMessageBox::Yes;
    }

    TClashAnswer AskClash(const std::string& target, bool canReplace) override {
        if (!HaveWidgets())
            return TClashAnswer::Skip;
        QMessageBox box(
            QMessageBox::Question, Caption(),
            QCoreApplication::translate("DialogPrompts", "%1 already exists in this folder.")
                .arg(QFileInfo(Q(target)).fileName()),
            QMessageBox::NoButton, Owner());
        QPushButton* replace =
            canReplace ? box.addButton(QCoreApplication::translate("DialogPrompts", "&Replace"),
                                       QMessageBox::DestructiveRole)
                       : nullptr;
        QPushButton* skip = box.addButton(QCoreApplication::translate("DialogPrompts", "&Skip"),
                                          QMessageBox::RejectRole);
        QPushButton* both = box.addButton(
            QCoreApplication::translate("DialogPrompts", "&Keep Both"), QMessageBox::AcceptRole);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(both);
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        if (clicked != nullptr && clicked == replace)
            return TClashAnswer::Replace;
        if (clicked == skip)
            return TClashAnswer::Skip;
        return clicked == both ? TClashAnswer::KeepBoth : TClashAnswer::Cancel;
    }

    DWORD ChooseDropEffect(DWORD allowed, DWORD suggested) override {
        if (!HaveWidgets())
            return DROPEFFECT_NONE;
        QMenu menu;
        FillQMenu(menu, DropMenu(allowed, suggested));
        DWORD effect = CommandOf(menu.exec(QCursor::pos()));
        return effect == kCancelDropCommand ? DROPEFFECT_NONE : effect;
    }

    // A stray second Enter does not open a thousand windows.
    bool ConfirmOpen(std::size_t count) override {
        if (!HaveWidgets())
            return false;
        const QString question = QCoreApplication::translate("DialogPrompts", "Open %1 files?")
                                     .arg(QLocale().toString(static_cast<qulonglong>(count)));
        return QMessageBox::question(Owner(), Caption(), question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }

    void StartPrograms(const std::vector<std::vector<std::string>>& commands) override {
        QThreadPool::globalInstance()->start([commands] {
            for (const std::vector<std::string>& command : commands)
                if (!StartDetached(command))
                    ReportLater(QCoreApplication::translate("DialogPrompts", "Cannot start \"%1\".")
                                    .arg(Q(command.front()))
                                    .toStdString());
        });
    }

    bool OpenWithDefault(const std::string& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
    }

    bool RunProgram(const std::vector<std::string>& argv) override { return StartDetached(argv); }

    void ShowProperties(const std::vector<std::string>& paths) override {
        QStringList lines;
        for (const std::string& path : paths) {
            QFileInfo info(Q(path));
            lines << QCoreApplication::translate("DialogPrompts", "%1\n%2, %3, modified %4")
                         .arg(info.absoluteFilePath(),
                              info.isDir() ? QCoreApplication::translate("DialogPrompts", "folder")
                                           : QCoreApplication::translate("DialogPrompts", "file"),
                              QLocale().formattedDataSize(info.size()),
                              QLocale().toString(info.lastModified(), QLocale::ShortFormat));
        }
        if (HaveWidgets())
            QMessageBox::information(Owner(), Caption(), lines.join("\n\n"));
    }

    void ReportError(const std::string& text) override {
        if (HaveWidgets())
            QMessageBox::warning(Owner(), Caption(), Q(text));
        else
            std::fprintf(stderr, "%s\n", text.c_str());
    }
};

}  // namespace

IShellPrompts& DialogPrompts() {
    static TDialogPrompts prompts;
    return prompts;
}
