#pragma once

#include <stdexcept>
#include <string>

// The framework's base exception. Every failure the program reports to the user
// travels as one of these (or a subclass) and ends the running command; the
// application's default handler shows Message() in a box.
class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A silent abort: ends the running command like any exception, but the
// application's default handler shows nothing for it.
class EAbort : public Exception {
  public:
    EAbort() : Exception("Operation aborted") {}
};

// The message text as the default exception box shows it: with "." added when
// it is not empty and its last character sorts after ".".
std::string ExceptionBoxText(const std::string& message);
