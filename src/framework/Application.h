#pragma once

#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Exception.h"

// The application object: the program's title, its message-pump step, and the
// two boxes every command may end with (the plain message box and the default
// exception box). Boxes go through a presenter so that headless callers (the
// command-line stamper, tests) can show them their own way.

enum class MessageBoxIcon { None, Stop };

struct MessageBoxRequest {
    std::string Text;
    std::string Caption;
    MessageBoxIcon Icon = MessageBoxIcon::None;
};

class TApplication {
  public:
    using Presenter = std::function<void(const MessageBoxRequest&)>;

    std::string Title;

    // Whether controls show their hints; a splitter switches it off while
    // it is dragged and restores it afterwards.
    bool ShowHint = true;

    // The hint text of the moment. Setting it tells every hint listener.
    using HintListener = std::function<void(const std::string& hint)>;
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    // A listener is kept under its key (the listening object) until removed
    // by that key; a listener may remove itself or another while called.
    void AddHintListener(const void* key, HintListener listener);
    void RemoveHintListener(const void* key);

    // Handles every pending window message and event once, then returns
    // (ProcessPendingMessages).
    void ProcessMessages();

    // Modal box with the text, one OK button, no icon, Title as its caption,
    // centred on the screen.
    void ShowMessage(const std::string& text);

    // The default exception handling: the exception's message as
    // ExceptionBoxText gives it, in a box with the stop icon.
    void ShowException(const std::exception& error);

    // Runs `step` as the message loop runs a handler: a failure that leaves it
    // ends it and is shown by ShowException, a silent abort (EAbort) not at all.
    void HandleExceptions(const std::function<void()>& step);

    // Replaces how boxes are shown; an empty presenter restores the default
    // (a modal QMessageBox when widgets run, standard error otherwise).
    void SetPresenterForTest(Presenter presenter) { presenter_ = std::move(presenter); }

  private:
    void Present(const MessageBoxRequest& request);
    Presenter presenter_;
    std::string hint_;
    std::vector<std::pair<const void*, HintListener>> hintListeners_;
};

// The process's one application object.
extern TApplication* Application;
