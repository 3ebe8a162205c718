// kadrimarkexif-icons OUTDIR: writes the program's icon as
// OUTDIR/SIZExSIZE/apps/kadrimarkexif.png for every installed size, the
// layout of the hicolor theme. The build runs it; nothing is installed from
// a hand-kept picture.
#include <QDir>
#include <cstdio>

#include "app/ProgramIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kadrimarkexif-icons OUTDIR\n");
        return 2;
    }
    for (int size : kProgramIconSizes) {
        QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        QString file = folder + QStringLiteral("/kadrimarkexif.png");
        if (!QDir().mkpath(folder) || !DrawProgramIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "kadrimarkexif-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
