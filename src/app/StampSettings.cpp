#include "app/StampSettings.h"

#include <QSettings>

namespace {

constexpr const char* kAllNames = "stamp/allNames";
constexpr const char* kRecursive = "stamp/recursive";
constexpr const char* kSetMtime = "stamp/setMtime";
constexpr const char* kVideos = "stamp/videos";

QSettings UserSettings() {
    return QSettings(QStringLiteral("KadrimarkEXIF"), QStringLiteral("kadrimarkexif"));
}

}  // namespace

TStampOptions StampOptionsInForce() {
    QSettings settings = UserSettings();
    TStampOptions options;
    options.names.all = settings.value(kAllNames, false).toBool();
    options.recursive = settings.value(kRecursive, false).toBool();
    options.setModificationTime = settings.value(kSetMtime, false).toBool();
    options.videos = settings.value(kVideos, false).toBool();
    return options;
}

void KeepStampOptions(const TStampOptions& options) {
    QSettings settings = UserSettings();
    settings.setValue(kAllNames, options.names.all);
    settings.setValue(kRecursive, options.recursive);
    settings.setValue(kSetMtime, options.setModificationTime);
    settings.setValue(kVideos, options.videos);
}
