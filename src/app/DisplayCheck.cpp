#include "app/DisplayCheck.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A message of the start with where it came from (the context's texts are
// the program's own constants).
struct THeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

std::vector<THeldMessage>* held = nullptr;

// The display the platform was asked to open, as the environment names it.
std::string DisplayName() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return std::string("\"") + value + "\"";
    }
    return "(DISPLAY is not set)";
}

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "kadrimarkexif: cannot open the display %s\n", DisplayName().c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    held->push_back({type, context.file, context.line, context.function, context.category, text});
}

}  // namespace

void StartOrExit(const std::function<void()>& start) {
    std::vector<THeldMessage> messages;
    held = &messages;
    const QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
    start();
    qInstallMessageHandler(previous);
    held = nullptr;
    for (const THeldMessage& message : messages) {
        const QMessageLogContext context(message.file, message.line, message.function,
                                         message.category);
        qt_message_output(message.type, context, message.text);
    }
}
