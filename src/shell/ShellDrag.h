#pragma once

#include <functional>
#include <vector>

#include "platform/Com.h"
#include "platform/DataTransfer.h"

class QMimeData;
class QObject;

// What the file list and the folder tree need around a drag: its data for
// Qt's drag, and the effects the dragged items allow.

constexpr ULONG kDragEffectsRequest = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK;

// The effects (DROPEFFECT_*) the items of `folder` allow, as a drag start
// offers them: none without items or when the folder cannot tell.
DWORD ItemsDropEffects(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items);

// The effects the items a data object carries allow, as a drop masks its
// effect with them: all three when it carries no "Shell IDList Array" (a
// drop from another program); none when that block is malformed or names
// places that cannot be had.
DWORD DraggedItemsEffects(IDataObject* data);

// A new QMimeData (the caller owns it) for dragging `items` of `folder`
// (whose absolute list is `parent`): the file list's data object carried
// under its formats' names, plus text/uri-list.
QMimeData* NewDragMimeData(IShellFolder* folder, LPCITEMIDLIST parent,
                           const std::vector<LPCITEMIDLIST>& items);

// What a control holds of a drag over it, from its enter to its leave: the
// data, the key state seen at the enter and what the dragged items allow.
struct THeldDrag {
    ComPtr<IDataObject> Data;
    DWORD KeyState = 0;
    DWORD Effects = DROPEFFECT_NONE;

    void Hold(IDataObject* data, DWORD keyState);
    void Release();
    // A drop's key state: its buttons are up by then, so the drag's count.
    DWORD DropKeyState(DWORD keyState) const {
        return keyState | (KeyState & (MK_LBUTTON | MK_RBUTTON));
    }
};

// The effect a target answers for the data at a point, asked as a whole
// enter, over and leave of its own within `allowed`.
DWORD AskDropTarget(IDropTarget* target, IDataObject* data, DWORD keyState, POINTL point,
                    DWORD allowed);

// Drops the data on the target as a control hands a drop on: the target is
// entered and moved over first, then dropped on under the hourglass with
// every effect within `allowed` the dragged items allow; `effect` gets what
// the target did, and `done` runs after. A right-button drop asks which
// effect with a menu: it is dropped once the drag has ended (RunAfterDrag,
// while `context` lives), so that the menu answers the mouse; the drag is
// told DROPEFFECT_NONE, so that no source removes what may be copied.
HRESULT DropOnTarget(IDropTarget* target, IDataObject* data, DWORD keyState, POINTL point,
                     DWORD allowed, DWORD& effect, QObject* context,
                     const std::function<void()>& done);
