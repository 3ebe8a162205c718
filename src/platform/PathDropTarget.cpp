#include "platform/PathDropTarget.h"

#include "platform/DroppedPaths.h"

HRESULT TPathDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    sources_ = DroppedPaths(data);
    return DragOver(keyState, point, effect);
}

HRESULT TPathDropTarget::DragOver(DWORD keyState, POINTL, DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    *effect = HoverEffectFor(sources_, keyState, *effect);
    return S_OK;
}

HRESULT TPathDropTarget::DragLeave() {
    sources_.clear();
    return S_OK;
}

HRESULT TPathDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    const std::vector<std::string> sources = DroppedPaths(data);
    sources_.clear();
    const DWORD allowed = *effect;
    const DWORD chosen = EffectFor(sources, keyState, allowed);
    *effect = DROPEFFECT_NONE;
    return chosen == DROPEFFECT_NONE ? S_OK : Place(sources, keyState, allowed, chosen, *effect);
}
