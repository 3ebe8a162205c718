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

TDropSource_shlvtv::TDropSource_shlvtv(int button) : buttonMask_(MaskOf(button)) {}

HRESULT TDropSource_shlvtv::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!(iid == IID_IUnknown || iid == IID_IDropSource))
        return E_NOINTERFACE;
    *object = static_cast<IDropSource*>(this);
    AddRef();
    return S_OK;
}

ULONG TDropSource_shlvtv::Release() {
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT TDropSource_shlvtv::QueryContinueDrag(bool escapePressed, DWORD keyState) {
    if (escapePressed || (keyState & kButtons & ~buttonMask_) != 0)
        return DRAGDROP_S_CANCEL;
    return keyState & buttonMask_ ? S_OK : DRAGDROP_S_DROP;
}
