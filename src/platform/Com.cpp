#include "platform/Com.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

namespace {

const char* FixedErrorText(HRESULT code) {
    switch (code) {
        case S_OK:
            return QT_TRANSLATE_NOOP("SysErrorMessage", "The operation completed successfully");
        case E_NOTIMPL:
            return QT_TRANSLATE_NOOP("SysErrorMessage", "Not implemented");
        case E_NOINTERFACE:
            return QT_TRANSLATE_NOOP("SysErrorMessage", "No such interface supported");
        case E_POINTER:
            return QT_TRANSLATE_NOOP("SysErrorMessage", "Invalid pointer");
        case E_ABORT:
            return QT_TRANSLATE_NOOP("SysErrorMessage", "Operation aborted");
        case E_FAIL:
            return QT_TRANSLATE_NOOP("SysErrorMessage", "Unspecified error");
        case E_UNEXPECTED:
            return QT_TRANSLATE_NOOP("SysErrorMessage", "Catastrophic failure");
        case DV_E_FORMATETC:
            return QT_TRANSLATE_NOOP("SysErrorMessage", "Invalid FORMATETC structure");
        // These two look like errno codes (EFAULT, EUSERS) but are not.
        case E_OUTOFMEMORY:
            return QT_TRANSLATE_NOOP("SysErrorMessage", "Not enough memory");
        case E_INVALIDARG:
            return QT_TRANSLATE_NOOP("SysErrorMessage", "The parameter is incorrect");
        default:
            return nullptr;
    }
}

}  // namespace

std::string SysErrorMessage(HRESULT code) {
    if (const char* text = FixedErrorText(code))
        return QCoreApplication::translate("SysErrorMessage", text).toStdString();
    if ((static_cast<std::uint32_t>(code) & 0xFFFF0000u) == 0x80070000u)
        return std::strerror(static_cast<int>(code & 0xFFFF));
    char number[16];
    std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(code));
    return QCoreApplication::translate("SysErrorMessage", "Unknown error %1")
        .arg(number)
        .toStdString();
}

HRESULT CoInitialize(void*) {
    return S_OK;
}

void CoUninitialize() {}
