#include "platform/TrashDropTarget.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "framework/ProgramLanguage.h"
#include "platform/FileOperations.h"
#include "platform/FileWork.h"
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
    static HRESULT Take(const std::string& path, std::string& failure,
                        TOperationProgress& progress);
};

// One report for the first failure, as the Delete verb gives; the items
// after it are still moved.
HRESULT TTrashDropTarget::Place(const std::vector<std::string>& sources, DWORD, DWORD, DWORD chosen,
                                DWORD& done) {
    HRESULT result = S_OK;
    std::string failure;
    TOperationProgress progress;
    RunFileWork(QT_TRANSLATE_NOOP("FileWork", "Deleting"), ShellPrompts(), progress,
                [&](IShellPrompts&) {
                    for (const std::string& path : sources) {
                        if (progress.Cancelled())
                            break;
                        HRESULT hr = Take(path, failure, progress);
                        if (FAILED(hr) && SUCCEEDED(result))
                            result = hr;
                    }
                });
    if (progress.Files() > 0)
        done = chosen;
    const std::string doneText = DoneText(progress);
    if (FAILED(result))
        ShellPrompts().ReportError(failure + (doneText.empty() ? "" : " " + doneText));
    else if (progress.Cancelled() && !doneText.empty())
        ShellPrompts().ReportError(CancelledText(progress));
    return result;
}

HRESULT TTrashDropTarget::Take(const std::string& path, std::string& failure,
                               TOperationProgress& progress) {
    struct stat facts;
    if (lstat(path.c_str(), &facts) != 0) {
        HRESULT hr = HResultFromErrno(errno);
        if (failure.empty())
            failure = MissingItemText(path, hr);
        return hr;
    }
    HRESULT hr = TrashItem(path, progress);
    if (FAILED(hr) && failure.empty())
        failure =
            Translated("TrashDropTarget",
                       QT_TRANSLATE_NOOP("TrashDropTarget", "Cannot move %1 to the Trash: %2"),
                       {path, SysErrorMessage(hr)});
    return hr;
}

}  // namespace

IDropTarget* NewTrashDropTarget() {
    return new TTrashDropTarget();
}
