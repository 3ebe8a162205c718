#include "shell/ShellListData.h"

#include <strings.h>

#include "platform/Drives.h"
#include "shell/DisplayNames.h"
#include "shell/ShellEnv.h"
#include "shell/ShellList.h"
#include "shell/ShellPaths.h"
#include "shell/SystemImages.h"

namespace {

constexpr ULONG kItemAttributesRequest = 0x700F0037;

bool ShellIsV6() {
    return ShellEnv.ShellVersion.MS >= 0x00060000;
}

}  // namespace

bool CountsAsFolder(ULONG attributes, bool filesCanBeFolders) {
    return (attributes & SFGAO_FOLDER) &&
           (filesCanBeFolders || !ShellIsV6() || !(attributes & SFGAO_STREAM));
}

TRzShellListData::~TRzShellListData() {
    Forget();
    FreeIdList(relative_);
}

void TRzShellListData::Forget() {
    FreeIdList(absolute_);
    absolute_ = nullptr;
    displayName_.clear();
    nameFetched_ = false;
    detailsFilled_ = false;
    iconIndex_ = -1;
    cachedMask_ = 0;
    details_.clear();
}

LPCITEMIDLIST TRzShellListData::AbsIdList() {
    if (absolute_ == nullptr)
        absolute_ = ConcatIdLists(nullptr, list_->FolderIdList(), relative_);
    return absolute_;
}

const std::string& TRzShellListData::DisplayName() {
    if (!nameFetched_) {
        displayName_ = GetDisplayName(list_->FolderObject(), relative_, nkNormal);
        nameFetched_ = true;
    }
    return displayName_;
}

int TRzShellListData::IconIndex() {
    if (iconIndex_ < 0)
        iconIndex_ = GetSysIconIndex(AbsIdList(), SHGFI_SMALLICON);
    return iconIndex_;
}

std::string TRzShellListData::PathName() {
    LPCITEMIDLIST absolute = AbsIdList();
    return absolute == nullptr ? std::string() : IdListToPath(absolute);
}

std::string TRzShellListData::FileName() {
    // A folder without a path (Computer) lists drives: their roots have no
    // file name, as a drive letter's root has none.
    if (list_->FolderPath().empty())
        return {};
    std::string path = PathName();
    return path.substr(path.rfind('/') + 1);
}

ULONG TRzShellListData::Attributes() {
    ULONG request = kItemAttributesRequest;
    if (ShellIsV6())
        request |= SFGAO_STREAM;
    const std::string path = PathName();
    if (path.size() >= 3 && FileName().empty() && GetDriveTypeA(path) == DRIVE_REMOVABLE)
        request &= ~SFGAO_READONLY;
    IShellFolder* folder = list_->FolderObject();
    if (folder == nullptr)
        return 0;
    LPCITEMIDLIST items[] = {relative_};
    folder->GetAttributesOf(1, items, &request);
    return request;
}

bool TRzShellListData::IsFolder() {
    return CountsAsFolder(Attributes(), list_->Options() & (1u << sloFilesCanBeFolders));
}

bool TRzShellListData::IsLink() {
    const std::string path = PathName();
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    return strcasecmp(path.c_str() + dot, ".lnk") == 0;
}

void TRzShellListData::ReplaceRelIdList(LPITEMIDLIST relative) {
    Forget();
    FreeIdList(relative_);
    relative_ = relative;
}

const std::string* TRzShellListData::CachedDetail(int column) const {
    if (column < 0 || column >= 32 || !(cachedMask_ & (1u << column)))
        return nullptr;
    return &details_[column];
}

void TRzShellListData::CacheDetail(int column, std::string text) {
    if (column < 0 || column >= 32)
        return;
    if (details_.size() <= static_cast<std::size_t>(column))
        details_.resize(column + 1);
    details_[column] = std::move(text);
    cachedMask_ |= 1u << column;
}
