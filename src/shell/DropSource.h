#pragma once

#include "framework/Object.h"
#include "platform/DataTransfer.h"

// The drop source of drags started by the file list and the folder tree: the
// drag goes on while its button is held, drops when it is released, and is
// cancelled by Escape or by pressing another mouse button. Made with no
// reference (the maker adds the first).
class TDropSource_shlvtv final : public TObject, public TComObject<IDropSource, IID_IDropSource> {
  public:
    // `button`: 0 left, 1 right, 2 middle.
    explicit TDropSource_shlvtv(int button);

    // DRAGDROP_S_CANCEL, S_OK (go on) or DRAGDROP_S_DROP.
    HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) override;
    HRESULT GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

    DWORD ButtonMask() const { return buttonMask_; }

  private:
    ~TDropSource_shlvtv() override = default;

    DWORD buttonMask_;
};
