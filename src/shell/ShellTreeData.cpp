#include "shell/ShellTreeData.h"

#include <utility>

#include "shell/ShellError.h"
#include "shell/ShellPaths.h"

namespace {

// Attributes asked when deciding whether a node can be renamed.
constexpr ULONG kRenameQuery = 0x40000177;

void Replace(LPITEMIDLIST& slot, LPITEMIDLIST list) {
    FreeIdList(std::exchange(slot, list));
}

}  // namespace

TRzShellTreeData::~TRzShellTreeData() {
    FreeIdList(relative_);
    FreeIdList(absolute_);
    FreeIdList(rootAncestors_);
}

void TRzShellTreeData::SetLists(TRzShellTreeData* parent, LPCITEMIDLIST list) {
    parent_ = parent;
    Replace(absolute_, nullptr);
    Replace(rootAncestors_, nullptr);
    if (parent != nullptr) {
        Replace(relative_, CopyIdList(nullptr, list));
        return;
    }
    int count = IdListCount(list);
    Replace(relative_,
            count == 0 ? CopyIdList(nullptr, list) : CopyIdListItems(nullptr, list, count - 1, 1));
    if (count > 1)
        rootAncestors_ = CopyIdListItems(nullptr, list, 0, count - 1);
    AbsoluteIdList();
}

LPCITEMIDLIST TRzShellTreeData::AbsoluteIdList() {
    if (absolute_ == nullptr)
        absolute_ = ConcatIdLists(
            nullptr, parent_ != nullptr ? parent_->AbsoluteIdList() : rootAncestors_, relative_);
    return absolute_;
}

IShellFolder* TRzShellTreeData::ParentFolder() {
    if (parent_ != nullptr)
        return parent_->OwnFolder();
    parentFolder_.Reset();
    LPITEMIDLIST parentList = nullptr;
    LPITEMIDLIST lastItem = nullptr;
    SplitIdList(AbsoluteIdList(), parentFolder_, &parentList, &lastItem);
    FreeIdList(parentList);
    FreeIdList(lastItem);
    return parentFolder_.Get();
}

IShellFolder* TRzShellTreeData::OwnFolder() {
    if (ownFolder_)
        return ownFolder_.Get();
    if (IdListSize(AbsoluteIdList()) <= 2) {
        CheckShell(SHGetDesktopFolder(ownFolder_.Put()));
    } else if (IShellFolder* parent = ParentFolder()) {
        if (FAILED(
                parent->BindToObject(relative_, nullptr, IID_IShellFolder, ownFolder_.PutVoid())))
            ownFolder_.Reset();
    }
    return ownFolder_.Get();
}

void TRzShellTreeData::ReplaceItem(LPCITEMIDLIST relative) {
    ownFolder_.Reset();
    Replace(relative_, CopyIdList(nullptr, relative));
    Replace(absolute_, nullptr);
    AbsoluteIdList();
}

void TRzShellTreeData::ForgetCachedValues() {
    Replace(absolute_, nullptr);
    ownFolder_.Reset();
}

bool TRzShellTreeData::CanRename() {
    if (IdListSize(AbsoluteIdList()) <= 2 || parent_ == nullptr)
        return false;
    IShellFolder* parent = ParentFolder();
    ULONG attributes = kRenameQuery;
    LPCITEMIDLIST items[] = {relative_};
    return parent != nullptr && SUCCEEDED(parent->GetAttributesOf(1, items, &attributes)) &&
           (attributes & SFGAO_CANRENAME) != 0;
}
