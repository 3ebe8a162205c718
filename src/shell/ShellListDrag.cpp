// The file list's drag and drop: the selection dragged out, and whatever is
// dragged over the list offered to the item under the pointer or to the
// shown folder.

#include "shell/ShellList.h"

#include <QAbstractItemView>

#include "framework/ScopeExit.h"
#include "shell/ShellPaths.h"

void TRzCustomShellList::BeginItemDrag(int button) {
    StartOutgoingDrag(button);
}

void TRzCustomShellList::StartOutgoingDrag(int button) {
    const std::vector<LPCITEMIDLIST> items = SelectedRelIdLists();
    if (!HasOption(sloOleDrag) || items.empty() || !folderObject_ || !dragLoop_)
        return;
    DWORD done = DROPEFFECT_NONE;
    {
        BeginOutgoingDrag();
        ownDrag_ = true;
        ScopeExit over([this] {
            ownDrag_ = false;
            busy_ = false;
        });
        const DWORD allowed = ItemsDropEffects(folderObject_.Get(), items);
        done =
            dragLoop_(NewDragMimeData(folderObject_.Get(), folderIdList_, items), allowed, button);
    }
    EndOutgoingDrag(done != DROPEFFECT_NONE);
}

void TRzCustomShellList::SyncDropTarget() {
    dropBridge_.Follow(HasOption(sloOleDrop),
                       [this] { return ComPtr<IDropTarget>(new TDropTarget_shlv(*this)); });
}

ComPtr<IDropTarget> TRzCustomShellList::FolderDropTarget() const {
    ComPtr<IDropTarget> target;
    if (FAILED(GetUIObjectOfPlace(folderIdList_, IID_IDropTarget, target.PutVoid())))
        target.Reset();
    return target;
}

TRzCustomShellList::DropChoice TRzCustomShellList::ChooseDropTarget(POINTL point) {
    DropChoice choice;
    const int index = ItemAt(QPoint(point.x, point.y));
    TRzShellListData* record = index >= 0 ? RecordOf(Item(index).Data) : nullptr;
    if (record != nullptr && folderObject_) {
        LPCITEMIDLIST item = record->RelIdList();
        if (SUCCEEDED(folderObject_->GetUIObjectOf(Handle(), 1, &item, IID_IDropTarget, nullptr,
                                                   choice.target.PutVoid())) &&
            choice.target) {
            choice.item = index;
            return choice;
        }
    }
    if (!ownDrag_)
        choice.target = FolderDropTarget();
    return choice;
}

HRESULT TRzCustomShellList::DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                      DWORD* effect) {
    heldDrag_.Hold(data, keyState);
    return DragOver(keyState, point, effect);
}

// Every move asks the target under the pointer afresh, as a whole enter, over
// and leave of its own.
HRESULT TRzCustomShellList::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    const DropChoice choice = ChooseDropTarget(point);
    // The drop allows only what the dragged items allow: promise no more.
    const DWORD allowed = *effect & heldDrag_.Effects;
    *effect = DROPEFFECT_NONE;
    if (OverOwnEmptySpace(choice)) {
        // Dropping the items back where they are: the right button offers a copy.
        if (heldDrag_.KeyState & MK_RBUTTON)
            *effect = allowed & DROPEFFECT_COPY;
    } else if (choice.target) {
        *effect =
            AskDropTarget(choice.target.Get(), heldDrag_.Data.Get(), keyState, point, allowed);
    }
    SetDropHighlighted(*effect != DROPEFFECT_NONE ? choice.item : -1);
    return S_OK;
}

HRESULT TRzCustomShellList::DragLeave() {
    heldDrag_.Release();
    SetDropHighlighted(-1);
    return S_OK;
}

HRESULT TRzCustomShellList::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    keyState = heldDrag_.DropKeyState(keyState);
    DropChoice choice = ChooseDropTarget(point);
    DWORD allowed = *effect;
    if (OverOwnEmptySpace(choice) && (heldDrag_.KeyState & MK_RBUTTON)) {
        allowed &= ~DROPEFFECT_MOVE;
        choice.target = FolderDropTarget();
    }
    DragLeave();
    *effect = DROPEFFECT_NONE;
    if (!choice.target)
        return S_OK;
    return DropOnTarget(choice.target.Get(), data, keyState, point, allowed, *effect, Widget(),
                        [this] { RefreshItems(); });
}

void TRzCustomShellList::EndOutgoingDrag(bool dropped) {
    busy_ = false;
    const bool refresh = refreshPending_ || dropped;
    refreshPending_ = false;
    if (refresh)
        RefreshItems();
}
