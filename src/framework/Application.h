#pragma once

#include <exception>
#include <functional>
#include <string>

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

    // Handles every pending window message and event once, then returns.
    void ProcessMessages();

    // Modal box with the text, one OK button, no icon, Title as its caption,
    // centred on the screen.
    void ShowMessage(const std::string& text);

    // The default exception handling: the exception's message, with "." added
    // when it is not empty and its last character sorts after ".", in a box with
    // the stop icon.
    void ShowException(const std::exception& error);

    // Replaces how boxes are shown; an empty presenter restores the default
    // (a modal QMessageBox when widgets run, standard error otherwise).
    void SetPresenter(Presenter presenter) { presenter_ = std::move(presenter); }

  private:
    void Present(const MessageBoxRequest& request);
    Presenter presenter_;
};

// The message text as the default exception box shows it.
std::string ExceptionBoxText(const std::string& message);

// The process's one application object.
extern TApplication* Application;
