#include "app/StampSettings.h"

#include <QSettings>

TStampOptions StampOptionsInForce() {
    QSettings settings(QStringLiteral("KadrimarkEXIF"), QStringLiteral("kadrimarkexif"));
    settings.beginGroup(QStringLiteral("stamp"));
    TStampOptions options;
    options.names.all = settings.value(QStringLiteral("allNames"), false).toBool();
    options.recursive = settings.value(QStringLiteral("recursive"), false).toBool();
    options.setModificationTime = settings.value(QStringLiteral("setMtime"), false).toBool();
    options.videos = settings.value(QStringLiteral("videos"), false).toBool();
    return options;
}
