#pragma once

#include "framework/Exception.h"
#include "platform/Com.h"

// A failed shell call that ends the running command; the message is the
// system's text for the result code.
class EShellError : public Exception {
  public:
    explicit EShellError(HRESULT code) : Exception(SysErrorMessage(code)), code_(code) {}
    HRESULT Code() const { return code_; }

  private:
    HRESULT code_;
};

// Raises EShellError for a failure code; passes success codes back.
inline HRESULT CheckShell(HRESULT code) {
    if (FAILED(code))
        throw EShellError(code);
    return code;
}
