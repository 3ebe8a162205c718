// The folder tree's selection: when a new selection reaches SelectedFolder
// and the linked list (at once, or after the keyboard delay), the delay
// timer's pending action, and selecting a place by its id list.

#include "shell/ShellTree.h"

#include <utility>

#include "framework/ScopeExit.h"
#include "platform/Beep.h"
#include "shell/FolderRefresh.h"
#include "shell/IdListArray.h"

void TRzCustomShellTree::TreeMouseDown(TMouseButton button) {
    StopExpandAll();
    if (button == mbLeft)
        immediate_ = true;
}

void TRzCustomShellTree::Change(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    if (lockCount_ > 0 || loadingStep_) {
        if (data != nullptr)
            selectedFolder_.SetIdList(data->AbsoluteIdList());
        return;
    }
    TRzCustomTreeView::Change(node);
    if (data == nullptr)
        return;
    if (!immediate_ && shellList_ != nullptr) {
        StartDelay(daSelect, kSelectDelayMs);
        return;
    }
    SelectionTakesEffect(node);
}

// SelectedFolder and the linked list follow the node now.
void TRzCustomShellTree::SelectionTakesEffect(TTreeNode* node) {
    {
        LockScope lock(*this);
        LPCITEMIDLIST absolute = ShellData(node)->AbsoluteIdList();
        selectedFolder_.SetIdList(absolute);
        if (shellList_ != nullptr && node == Selected() && !shellList_->IsLoading())
            shellList_->SetFolderIdList(absolute);
    }
    immediate_ = false;
}

void TRzCustomShellTree::StartDelay(DelayAction action, int milliseconds) {
    // A refresh overtaken by a keyboard move still happens, after the move.
    if (delayAction_ == daRefresh && action == daSelect)
        refreshDue_ = true;
    delayTimer_.SetEnabled(false);
    delayAction_ = action;
    delayTimer_.SetInterval(milliseconds);
    delayTimer_.SetEnabled(true);
}

void TRzCustomShellTree::DelayTimerFired() {
    DelayAction action = delayAction_;
    delayTimer_.SetEnabled(false);
    delayAction_ = daNone;
    if (action == daSelect) {
        if (ShellData(Selected()) != nullptr)
            SelectionTakesEffect(Selected());
        if (std::exchange(refreshDue_, false))
            StartDelay(daRefresh, RefreshDelay(Focused()));
    } else if (action == daRefresh) {
        RefreshTree();
    }
}

void TRzCustomShellTree::FlushPending(bool flushLinkedList) {
    if (flushLinkedList && shellList_ != nullptr)
        shellList_->FlushPendingAction();
    if (delayTimer_.Enabled())
        DelayTimerFired();
}

void TRzCustomShellTree::SelectAncestor(int levels) {
    TTreeNode* node = Selected();
    if (node == nullptr)
        return;
    for (int i = 0; i < levels && node->Parent() != nullptr; ++i)
        node = node->Parent();
    immediate_ = true;
    SetSelected(node);
}

void TRzCustomShellTree::SelectByIdList(LPCITEMIDLIST absolute) {
    if (lockCount_ > 0)
        return;
    immediate_ = true;
    TTreeNode* node = FirstShellNode();
    if (node == nullptr)
        return;
    TRzIdListArray base(baseFolder_.IdList());
    TRzIdListArray target(absolute);
    BeginUpdate();
    ScopeExit endUpdate([this] { EndUpdate(); });
    if (target.Count() > 0) {
        Expand(node);
        if (target.Count() > base.Count())
            node = DescendTo(node, target, base.Count());
    }
    SetSelected(node);
    MakeVisible(node);
}

// Walks from the root down the target's items from `first` on, adding the
// nodes that are missing; beeps and stops at the deepest node reached when a
// level cannot be added.
TTreeNode* TRzCustomShellTree::DescendTo(TTreeNode* node, TRzIdListArray& target, int first) {
    for (int i = first; i < target.Count(); ++i) {
        LPITEMIDLIST item = target.Item(i);
        TTreeNode* child = FindChild(node, item);
        if (child == nullptr)
            child = AddMissingChild(node, item);
        if (child == nullptr) {
            MessageBeep(static_cast<UINT>(-1));
            return node;
        }
        node = child;
        bool last = i == target.Count() - 1;
        if (!last || (shellList_ != nullptr && shellList_->HidesFolders()))
            Expand(node);
    }
    return node;
}
