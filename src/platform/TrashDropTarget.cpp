#include "platform/TrashDropTarget.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/FileOperations.h"
#include "platform/FolderDropTarget.h"
#include "platform/ShellPrompts.h"
#include "platform/Trash.h"

namespace {

bool CanGoToTrash(const std::string& path) {
    return !IsTrashOrHoldsIt(path);
}

DWORD TrashEffectFor(const std::vector<std::string>& sources, DWORD allowed) {
    bool movable = !sources.empty() && std::all_of(sources.begin(), sources.end(), CanGoToTrash);
    return movable ? allowed & DROPEFFECT_MOVE : DROPEFFECT_NONE;
}

class TTrashDropTarget final : public TComObject<IDropTarget, IID_IDropTarget> {
  public:
    TTrashDropTarget() : TComObject(1) {}

    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) override;

  private:
    ~TTrashDropTarget() override = default;

    // Moves one item; a failure is also described in `failure`.
    static HRESULT Take(const std::string& path, std::string& failure);

    std::vector<std::string> sources_;  // of the drag in progress
};

HRESULT TTrashDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                    DWORD* effect) {
    sources_ = DroppedPaths(data);
    return DragOver(keyState, point, effect);
}

HRESULT TTrashDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    *effect = TrashEffectFor(sources_, *effect);
    return S_OK;
}

HRESULT TTrashDropTarget::DragLeave() {
    sources_.clear();
    return S_OK;
}

HRESULT TTrashDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    sources_ = DroppedPaths(data);
    const DWORD chosen = TrashEffectFor(sources_, *effect);
    *effect = DROPEFFECT_NONE;
    if (chosen == DROPEFFECT_NONE)
        return S_OK;
    // One report for the first failure, as the Delete verb gives; the
    // items after it are still moved.
    HRESULT result = S_OK;
    std::string failure;
    for (const std::string& path : sources_) {
        HRESULT hr = Take(path, failure);
        if (SUCCEEDED(hr))
            *effect = chosen;
        else if (SUCCEEDED(result))
            result = hr;
    }
    sources_.clear();
    if (FAILED(result))
        ShellPrompts().ReportError(failure);
    return result;
}

HRESULT TTrashDropTarget::Take(const std::string& path, std::string& failure) {
    struct stat facts;
    if (lstat(path.c_str(), &facts) != 0) {
        HRESULT hr = HResultFromErrno(errno);
        if (failure.empty())
            failure = MissingItemText(path, hr);
        return hr;
    }
    HRESULT hr = MoveToTrash(path);
    if (FAILED(hr) && failure.empty())
        failure = "Cannot move " + path + " to the Trash: " + SysErrorMessage(hr);
    return hr;
}

}  // namespace

IDropTarget* NewTrashDropTarget() {
    return new TTrashDropTarget();
}
