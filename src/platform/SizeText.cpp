#include "platform/SizeText.h"

#include <QCoreApplication>
#include <QLocale>

std::string SizeText(std::uint64_t bytes) {
    const std::uint64_t kilobytes = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return QCoreApplication::translate("ShellColumns", "%1KB")
        .arg(locale.toString(static_cast<qulonglong>(kilobytes)))
        .toStdString();
}
