#include "framework/GuiSession.h"

#include <QApplication>
#include <cstdlib>

int RunGuiSession(int argc, char** argv, const std::function<int()>& body) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    return body();
}

bool SavePng(const QImage& image, const std::string& path) {
    return image.save(QString::fromStdString(path), "PNG");
}
