#include "shell/ShellDrag.h"

#include "framework/Application.h"
#include "framework/Cursor.h"
#include "platform/MimeTransport.h"
#include "shell/QtDropBridge.h"
#include "shell/ShellDataObject.h"
#include "shell/ShellIdListArray.h"
#include "shell/ShellPaths.h"

namespace {

constexpr DWORD kAllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

}  // namespace

DWORD ItemsDropEffects(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items) {
    ULONG attributes = kDragEffectsRequest;
    if (folder == nullptr || items.empty() ||
        FAILED(folder->GetAttributesOf(static_cast<UINT>(items.size()), items.data(), &attributes)))
        return DROPEFFECT_NONE;
    return attributes & kAllEffects;
}

DWORD DraggedItemsEffects(IDataObject* data) {
    FORMATETC format = HGlobalFormat(static_cast<CLIPFORMAT>(ShellIdListFormat()));
    std::string block;
    if (data == nullptr || data->QueryGetData(&format) != S_OK)
        return kAllEffects;
    std::vector<std::string> lists;
    if (!ReadFormatBytes(data, format.cfFormat, block) ||
        !ReadShellIdListArray(reinterpret_cast<const std::uint8_t*>(block.data()), block.size(),
                              lists))
        return DROPEFFECT_NONE;
    ComPtr<IShellFolder> parent;
    if (FAILED(BindToFolder(AsIdList(lists[0]), parent)))
        return DROPEFFECT_NONE;
    std::vector<LPCITEMIDLIST> items;
    for (std::size_t i = 1; i < lists.size(); ++i)
        items.push_back(AsIdList(lists[i]));
    return ItemsDropEffects(parent.Get(), items);
}

QMimeData* NewDragMimeData(IShellFolder* folder, LPCITEMIDLIST parent,
                           const std::vector<LPCITEMIDLIST>& items) {
    ComPtr<IDataObject> data =
        ComPtr<IDataObject>::Share(new TDataObject_shlv(folder, parent, items));
    return NewMimeDataFromDataObject(data.Get());
}

void THeldDrag::Hold(IDataObject* data, DWORD keyState) {
    Data = ComPtr<IDataObject>::Share(data);
    KeyState = keyState;
    Effects = DraggedItemsEffects(data);
}

void THeldDrag::Release() {
    Data.Reset();
    Effects = DROPEFFECT_NONE;
}

namespace {

// A target is told of the drag before each question, as a pointer entering it.
DWORD EnterAndMoveOver(IDropTarget* target, IDataObject* data, DWORD keyState, POINTL point,
                       DWORD allowed) {
    DWORD effect = allowed;
    target->DragEnter(data, keyState, point, &effect);
    effect = allowed;
    target->DragOver(keyState, point, &effect);
    return effect;
}

}  // namespace

DWORD AskDropTarget(IDropTarget* target, IDataObject* data, DWORD keyState, POINTL point,
                    DWORD allowed) {
    const DWORD effect = EnterAndMoveOver(target, data, keyState, point, allowed);
    target->DragLeave();
    return effect;
}

HRESULT DropOnTarget(IDropTarget* target, IDataObject* data, DWORD keyState, POINTL point,
                     DWORD allowed, DWORD& effect, QObject* context,
                     const std::function<void()>& done) {
    const auto drop = [=](DWORD& dropped) {
        EnterAndMoveOver(target, data, keyState, point, allowed);
        dropped = allowed & DraggedItemsEffects(data);
        TCursorScope hourglass(crHourGlass);
        const HRESULT hr = target->Drop(data, keyState, point, &dropped);
        done();
        return hr;
    };
    if (!(keyState & MK_RBUTTON))
        return drop(effect);
    effect = DROPEFFECT_NONE;
    RunAfterDrag(context, [drop, heldTarget = ComPtr<IDropTarget>::Share(target),
                           heldData = ComPtr<IDataObject>::Share(data)] {
        DWORD dropped = DROPEFFECT_NONE;
        Application->HandleExceptions([&] { drop(dropped); });
    });
    return S_OK;
}
