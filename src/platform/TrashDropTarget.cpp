#include "platform/TrashDropTarget.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/FileOperations.h"
#include "platform/PathDropTarget.h"
#include "platform/PromptsInForce.h"
#include "platform/Trash.h"

namespace {

// Only a move, whatever keys are held, and only of items that can go.
class TTrashDropTarget final : public TPathDropTarget {
  private:
    ~TTrashDropTarget() override = default;

    DWORD EffectFor(const std::vector<std::string>& sources, DWORD, DWORD allowed) const override {
        bool movable =
            !sources.empty() && std::none_of(sources.begin(), sources.end(), IsTrashOrHoldsIt);
        return movable ? allowed & DROPEFFECT_MOVE : DROPEFFECT_NONE;
    }
    HRESULT Place(const std::vector<std::string>& sources, DWORD, DWORD, DWORD chosen,
                  DWORD& done) override;

    // Moves one item; a failure is also described in `failure`.
    static HRESULT Take(const std::string& path, std::string& failure);
};

// One report for the first failure, as the Delete verb gives; the items
// after it are still moved.
HRESULT TTrashDropTarget::Place(const std::vector<std::string>& sources, DWORD, DWORD, DWORD chosen,
                                DWORD& done) {
    HRESULT result = S_OK;
    std::string failure;
    for (const std::string& path : sources) {
        HRESULT hr = Take(path, failure);
        if (SUCCEEDED(hr))
            done = chosen;
        else if (SUCCEEDED(result))
            result = hr;
    }
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
