#include "platform/Com.h"

#include <cstdio>
#include <cstring>

namespace {

const char* FixedErrorText(HRESULT code) {
    switch (code) {
        case S_OK:
            return "The operation completed successfully";
        case E_NOTIMPL:
            return "Not implemented";
        case E_NOINTERFACE:
            return "No such interface supported";
        case E_POINTER:
            return "Invalid pointer";
        case E_ABORT:
            return "Operation aborted";
        case E_FAIL:
            return "Unspecified error";
        case E_UNEXPECTED:
            return "Catastrophic failure";
        case DV_E_FORMATETC:
            return "Invalid FORMATETC structure";
        // These two look like errno codes (EFAULT, EUSERS) but are not.
        case E_OUTOFMEMORY:
            return "Not enough memory";
        case E_INVALIDARG:
            return "The parameter is incorrect";
        default:
            return nullptr;
    }
}

}  // namespace

std::string SysErrorMessage(HRESULT code) {
    if (const char* text = FixedErrorText(code))
        return text;
    if ((static_cast<std::uint32_t>(code) & 0xFFFF0000u) == 0x80070000u)
        return std::strerror(static_cast<int>(code & 0xFFFF));
    char text[40];
    std::snprintf(text, sizeof text, "Unknown error 0x%08X", static_cast<unsigned>(code));
    return text;
}

HRESULT CoInitialize(void*) {
    return S_OK;
}

void CoUninitialize() {}
