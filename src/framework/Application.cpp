#include "framework/Application.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>
#include <cstdio>

#include "framework/Exception.h"
#include "framework/Messages.h"

namespace {

TApplication theApplication;

void ShowModalBox(const MessageBoxRequest& request) {
    QMessageBox box(
        request.Icon == MessageBoxIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon,
        QString::fromStdString(request.Caption), QString::fromStdString(request.Text),
        QMessageBox::Ok);
    box.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        box.move(screen->geometry().center() - box.rect().center());
    box.exec();
}

}  // namespace

TApplication* Application = &theApplication;

void TApplication::ProcessMessages() {
    ProcessPendingMessages();
}

void TApplication::ShowMessage(const std::string& text) {
    Present({text, Title, MessageBoxIcon::None});
}

void TApplication::ShowException(const std::exception& error) {
    Present({ExceptionBoxText(error.what()), Title, MessageBoxIcon::Stop});
}

void TApplication::HandleExceptions(const std::function<void()>& step) {
    try {
        step();
    } catch (const EAbort&) {
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

void TApplication::SetHint(const std::string& hint) {
    hint_ = hint;
    std::vector<const void*> keys;
    for (const auto& [key, listener] : hintListeners_)
        keys.push_back(key);
    for (const void* key : keys) {
        auto it =
            std::ranges::find(hintListeners_, key, &decltype(hintListeners_)::value_type::first);
        if (it != hintListeners_.end())
            HintListener(it->second)(hint_);
    }
}

void TApplication::AddHintListener(const void* key, HintListener listener) {
    RemoveHintListener(key);
    hintListeners_.emplace_back(key, std::move(listener));
}

void TApplication::RemoveHintListener(const void* key) {
    std::erase_if(hintListeners_, [key](const auto& entry) { return entry.first == key; });
}

void TApplication::Present(const MessageBoxRequest& request) {
    if (presenter_)
        presenter_(request);
    else if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        ShowModalBox(request);
    else
        std::fprintf(stderr, "%s: %s\n", request.Caption.c_str(), request.Text.c_str());
}
