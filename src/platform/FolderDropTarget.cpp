#include "platform/FolderDropTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "framework/ProgramLanguage.h"
#include "platform/DataTransfer.h"
#include "platform/FileOperations.h"
#include "platform/FileWork.h"
#include "platform/PathDropTarget.h"
#include "platform/PromptsInForce.h"
#include "platform/ShellItems.h"

namespace {

std::string ParentOf(const std::string& path) {
    std::string name = ItemNameOf(path);
    std::string parent = path.substr(0, path.size() - name.size());
    while (parent.size() > 1 && parent.back() == '/')
        parent.pop_back();
    return parent;
}

// Checked with the file-system ids, as making the items there would be.
bool IsWritableFolder(const std::string& folder) {
    return faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0;
}

bool OnSameFileSystem(const std::string& a, const std::string& b) {
    struct stat factsA, factsB;
    return lstat(a.c_str(), &factsA) == 0 && stat(b.c_str(), &factsB) == 0 &&
           factsA.st_dev == factsB.st_dev;
}

// The folder is a source, or below one (by path; the transfer checks again
// by the files themselves).
bool InsideSources(const std::vector<std::string>& sources, const std::string& folder) {
    return std::any_of(sources.begin(), sources.end(), [&](const std::string& source) {
        return folder == source || folder.starts_with(source + "/");
    });
}

bool AllIn(const std::vector<std::string>& sources, const std::string& folder) {
    return std::all_of(sources.begin(), sources.end(),
                       [&](const std::string& source) { return ParentOf(source) == folder; });
}

DWORD SuggestedEffect(const std::vector<std::string>& sources, const std::string& folder,
                      DWORD keyState) {
    bool control = keyState & MK_CONTROL, shift = keyState & MK_SHIFT;
    if ((control && shift) || (keyState & MK_ALT))
        return DROPEFFECT_LINK;
    if (control)
        return DROPEFFECT_COPY;
    if (shift)
        return DROPEFFECT_MOVE;
    return OnSameFileSystem(sources.front(), folder) ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
}

TFileOperation OperationOf(DWORD effect) {
    return effect == DROPEFFECT_LINK   ? TFileOperation::Link
           : effect == DROPEFFECT_MOVE ? TFileOperation::Move
                                       : TFileOperation::Copy;
}

class TFolderDropTarget final : public TPathDropTarget {
  public:
    explicit TFolderDropTarget(std::string folder) : folder_(std::move(folder)) {}

  private:
    ~TFolderDropTarget() override = default;

    DWORD EffectFor(const std::vector<std::string>& sources, DWORD keyState,
                    DWORD allowed) const override {
        return DropEffectFor(sources, folder_, keyState, allowed);
    }
    // A folder that cannot take the items says so while hovering already:
    // the drag's source keeps the last effect it was shown.
    DWORD HoverEffectFor(const std::vector<std::string>& sources, DWORD keyState,
                         DWORD allowed) const override {
        return IsWritableFolder(folder_) ? EffectFor(sources, keyState, allowed) : DROPEFFECT_NONE;
    }
    HRESULT Place(const std::vector<std::string>& sources, DWORD keyState, DWORD allowed,
                  DWORD chosen, DWORD& done) override;

    std::string folder_;
};

// With the right button held, the person chooses the effect first.
HRESULT TFolderDropTarget::Place(const std::vector<std::string>& sources, DWORD keyState,
                                 DWORD allowed, DWORD chosen, DWORD& done) {
    if (keyState & MK_RBUTTON)
        chosen = ShellPrompts().ChooseDropEffect(allowed, chosen) & allowed;
    if (chosen == DROPEFFECT_NONE)
        return S_OK;
    const TFileOperation operation = OperationOf(chosen);
    TFileOperationResult result;
    TOperationProgress progress;
    RunFileWork(operation == TFileOperation::Move ? QT_TRANSLATE_NOOP("FileWork", "Moving")
                                                  : QT_TRANSLATE_NOOP("FileWork", "Copying"),
                ShellPrompts(), progress, [&](IShellPrompts& asker) {
                    result = TransferItems(operation, sources, folder_, asker, progress);
                });
    if (!result.Placed.empty())
        done = chosen;
    const std::string doneText = DoneText(progress);
    if (FAILED(result.Code) && result.Code != E_ABORT)
        ShellPrompts().ReportError(
            (result.MissingSource.empty()
                 ? Translated(
                       "FolderDropTarget",
                       QT_TRANSLATE_NOOP("FolderDropTarget", "Cannot put the items into %1: %2"),
                       {folder_, SysErrorMessage(result.Code)})
                 : MissingItemText(result.MissingSource, result.Code)) +
            (doneText.empty() ? "" : " " + doneText));
    else if (result.Code == E_ABORT && !doneText.empty())
        ShellPrompts().ReportError(CancelledText(progress));
    return result.Code == E_ABORT ? S_OK : result.Code;
}

}  // namespace

IDropTarget* NewFolderDropTarget(std::string folderPath) {
    return new TFolderDropTarget(std::move(folderPath));
}

DWORD DropEffectFor(const std::vector<std::string>& sources, const std::string& folderPath,
                    DWORD keyState, DWORD allowed) {
    allowed &= DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    if (sources.empty() || InsideSources(sources, folderPath))
        return DROPEFFECT_NONE;
    // A move that is not allowed does not stand in the way of a copy or a
    // link into the items' own folder.
    DWORD suggested = SuggestedEffect(sources, folderPath, keyState);
    if (suggested & allowed)
        return suggested == DROPEFFECT_MOVE && AllIn(sources, folderPath) ? DROPEFFECT_NONE
                                                                          : suggested;
    for (DWORD fallback : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
        if (fallback & allowed)
            return fallback == DROPEFFECT_MOVE && AllIn(sources, folderPath) ? DROPEFFECT_NONE
                                                                             : fallback;
    return DROPEFFECT_NONE;
}
