#include "shell/DropSource.h"

namespace {

constexpr DWORD kButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

DWORD MaskOf(int button) {
    switch (button) {
        case 1:
            return MK_RBUTTON;
        case 2:
            return MK_MBUTTON;
        default:
            return MK_LBUTTON;
    }
}

}  // namespace

TDropSource_shlvtv::TDropSource_shlvtv(int button) : TComObject(0), buttonMask_(MaskOf(button)) {}

HRESULT TDropSource_shlvtv::QueryContinueDrag(bool escapePressed, DWORD keyState) {
    if (escapePressed || (keyState & kButtons & ~buttonMask_) != 0)
        return DRAGDROP_S_CANCEL;
    return keyState & buttonMask_ ? S_OK : DRAGDROP_S_DROP;
}
