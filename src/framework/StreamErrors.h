#pragma once

#include <string>

#include "framework/Exception.h"

// The errors of file and stream work. Each class carries the framework's own
// message text; the factories below fill it in, so that every caller reports a
// failure of one kind in the same words.
class EStreamError : public Exception {
  public:
    using Exception::Exception;
    // The file name as the message shows it; empty when it names none. A
    // caller that prints to a terminal escapes it.
    const std::string& ShownName() const { return shownName_; }

  protected:
    EStreamError(const std::string& message, const std::string& shownName)
        : Exception(message), shownName_(shownName) {}

  private:
    std::string shownName_;
};

class EFileStreamError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};

// A file could not be opened (or may not be written back).
class EFOpenError : public EFileStreamError {
  public:
    using EFileStreamError::EFileStreamError;
    // "Cannot open <name>.\r\n(<system text>.)" for the errno value.
    static EFOpenError CannotOpen(const std::string& fileName, int errorNumber);
    // "Cannot save readonly file <name>."
    static EFOpenError ReadonlySave(const std::string& fileName);
};

// A file could not be created or truncated.
class EFCreateError : public EFileStreamError {
  public:
    using EFileStreamError::EFileStreamError;
    // "Cannot create file "<absolute name>". <system text>" for the errno value.
    static EFCreateError CannotCreate(const std::string& fileName, int errorNumber);
    // "Cannot create file in folder "<absolute folder>". <system text>. The
    // original cannot be kept in "<cache>" either: <system text>" - a file
    // rewritten in place whose folder takes no new file.
    static EFCreateError CannotCreateIn(const std::string& folder, int errorNumber,
                                        const std::string& cache, int cacheError);
    // The errno value behind the failure; 0 when none was given.
    int ErrorNumber() const { return errorNumber_; }

  private:
    int errorNumber_ = 0;
};

// A stream delivered fewer bytes than asked for: "Stream read error".
class EReadError : public EStreamError {
  public:
    EReadError();
};

// A stream took fewer bytes than given: "Stream write error".
class EWriteError : public EStreamError {
  public:
    EWriteError();
    // "Stream write error: <name>: <system text>" for a file whose write
    // failed with the errno value.
    static EWriteError InFile(const std::string& fileName, int errorNumber);

  private:
    using EStreamError::EStreamError;
};

// The operating system's text for an errno value ("No such file or directory").
std::string SystemErrorText(int errorNumber);

// The absolute form of a path, with "." and ".." resolved lexically (no links
// followed): a relative name is taken from the current folder.
std::string ExpandFileName(const std::string& fileName);
