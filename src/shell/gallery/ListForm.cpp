// kadrimarkexif-listform FOLDER OUTPREFIX: shows FOLDER in the file list as
// the main window places it and writes OUTPREFIX-report.png and
// OUTPREFIX-icon.png, for looking at the list under a real X server.
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <string>

#include "shell/ShellEnv.h"
#include "shell/ShellList.h"
#include "shell/ShellPaths.h"

namespace {

void Save(TRzShellList& list, TViewStyle style, const std::string& path) {
    list.SetViewStyle(style);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    list.Widget()->grab().save(QString::fromStdString(path));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER OUTPREFIX\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    InitShellEnv();
    {
        TRzShellList list(nullptr);
        list.SetBounds(0, 0, 754, 554);
        list.SetFrameVisible(true);
        list.SetGridLines(true);
        list.SetMultiSelect(true);
        list.SetReadOnly(true);
        list.SetRowSelect(true);
        list.Widget()->show();
        LPITEMIDLIST place = nullptr;
        if (FAILED(PathToIdList(argv[1], &place)))
            return 1;
        list.SetFolderIdList(place);
        FreeIdList(place);
        // As a click leaves it: the third item selected and focused.
        const int clicked = list.ItemCount() > 2 ? 2 : 0;
        list.SetSelected(clicked, true);
        list.SetFocusedIndex(clicked);
        Save(list, vsReport, std::string(argv[2]) + "-report.png");
        Save(list, vsIcon, std::string(argv[2]) + "-icon.png");
    }
    DoneShellEnv();
    return 0;
}
