#pragma once

#include <vector>

#include "platform/DataTransfer.h"

class QMimeData;

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
