// The folder tree's drag and drop: a node dragged out as shell data, and
// shell data dragged over the tree offered to the node under the pointer,
// with scrolling near the edges and opening a node the pointer rests on.

#include "shell/ShellTree.h"

#include <QScrollBar>
#include <cstdlib>

#include "framework/ScopeExit.h"
#include "platform/MimeTransport.h"
#include "shell/ShellDataObject.h"
#include "shell/ShellPaths.h"

ComPtr<IDataObject> TRzCustomShellTree::NodeDataObject(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    TRzShellTreeData* parent = data->ParentData();
    return ComPtr<IDataObject>::Share(new TDataObject_shtv(
        data->ParentFolder(), parent != nullptr ? parent->AbsoluteIdList() : nullptr,
        {data->RelativeIdList()}));
}

// The node shows as the drop target while it is dragged.
bool TRzCustomShellTree::BeginNodeDrag(TTreeNode* node, int button) {
    TRzShellTreeData* data = ShellData(node);
    if (!(options_ & stoOleDrag) || data == nullptr || node->Parent() == nullptr || !dragLoop_)
        return false;
    SetDropTarget(node);
    ScopeExit unmark([this] { SetDropTarget(nullptr); });
    const DWORD allowed = ItemsDropEffects(data->ParentFolder(), {data->RelativeIdList()});
    dragLoop_(NewMimeDataFromDataObject(NodeDataObject(node).Get()), allowed, button);
    return true;
}

void TRzCustomShellTree::SyncDropTarget() {
    dropBridge_.Follow((options_ & stoOleDrop) != 0,
                       [this] { return ComPtr<IDropTarget>(new TDropTarget_shtv(*this)); });
}

TTreeNode* TRzCustomShellTree::ShellNodeAt(POINTL point) const {
    TTreeNode* node = NodeAt({point.x, point.y});
    return ShellData(node) != nullptr ? node : nullptr;
}

ComPtr<IDropTarget> TRzCustomShellTree::NodeDropTarget(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    ComPtr<IDropTarget> target;
    LPCITEMIDLIST item = data->RelativeIdList();
    IShellFolder* parent = data->ParentFolder();
    if (parent != nullptr &&
        SUCCEEDED(parent->GetUIObjectOf(OwnerWindow(), 1, &item, IID_IDropTarget, nullptr,
                                        target.PutVoid())))
        return target;
    // The root names its place by an absolute list.
    if (FAILED(GetUIObjectOfPlace(data->AbsoluteIdList(), IID_IDropTarget, target.PutVoid())))
        target.Reset();
    return target;
}

DWORD TRzCustomShellTree::AskNodeTarget(TTreeNode* node, DWORD keyState, POINTL point,
                                        DWORD allowed) {
    ComPtr<IDropTarget> target = NodeDropTarget(node);
    if (!target)
        return DROPEFFECT_NONE;
    // The drop allows only what the dragged items allow: promise no more.
    return AskDropTarget(target.Get(), heldDrag_.Data.Get(), keyState, point,
                         allowed & heldDrag_.Effects);
}

HRESULT TRzCustomShellTree::DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                      DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    heldDrag_.Hold(data, keyState);
    hoverPoint_ = dragPoint_ = point;
    hoverSince_ = lastScrollCheck_ = dragClock_();
    dragStepTimer_.SetEnabled(true);
    TTreeNode* node = ShellNodeAt(point);
    *effect = node != nullptr && node->Parent() != nullptr
                  ? AskNodeTarget(node, keyState, point, *effect)
                  : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT TRzCustomShellTree::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    TTreeNode* node = ShellNodeAt(point);
    *effect = node != nullptr ? AskNodeTarget(node, keyState, point, *effect) : DROPEFFECT_NONE;
    SetDropTarget(node);
    DragHoverStep(point);
    *effect |= DROPEFFECT_SCROLL;
    return S_OK;
}

HRESULT TRzCustomShellTree::DragLeave() {
    dragStepTimer_.SetEnabled(false);
    heldDrag_.Release();
    SetDropTarget(nullptr);
    return S_OK;
}

HRESULT TRzCustomShellTree::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    TTreeNode* node = ShellNodeAt(point);
    keyState = heldDrag_.DropKeyState(keyState);
    DragLeave();
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    ComPtr<IDropTarget> target = node != nullptr ? NodeDropTarget(node) : ComPtr<IDropTarget>();
    if (!target)
        return S_OK;
    return DropOnTarget(target.Get(), data, keyState, point, allowed, *effect, Widget(),
                        [this] { RefreshTree(); });
}

// After every move over the tree, and on the drag-step timer: a scroll step
// near the edges (at most every kDragScrollIntervalMs), and the node the
// pointer rested on opens.
void TRzCustomShellTree::DragHoverStep(POINTL point) {
    dragPoint_ = point;
    const std::uint32_t now = dragClock_();
    if (now - lastScrollCheck_ >= kDragScrollIntervalMs) {
        lastScrollCheck_ = now;
        ScrollNearEdge(point);
    }
    if (std::abs(point.x - hoverPoint_.x) > 1 || std::abs(point.y - hoverPoint_.y) > 1) {
        hoverPoint_ = point;
        hoverSince_ = now;
    } else if (now - hoverSince_ >= kDragExpandDelayMs) {
        hoverSince_ = now;
        ExpandHovered(point);
    }
}

void TRzCustomShellTree::ScrollNearEdge(POINTL point) {
    QWidget* viewport = View()->viewport();
    const QPoint at = viewport->mapFrom(Widget(), QPoint(point.x, point.y));
    auto step = [](QScrollBar* bar, int position, int extent, int margin) {
        if (position < margin)
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        else if (position >= extent - margin)
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    };
    step(View()->verticalScrollBar(), at.y(), viewport->height(), kDragScrollMarginY);
    step(View()->horizontalScrollBar(), at.x(), viewport->width(), kDragScrollMarginX);
}

// Opened without an owner window, so that a drive without a medium shows no
// dialog while something is dragged over it.
void TRzCustomShellTree::ExpandHovered(POINTL point) {
    TTreeNode* node = ShellNodeAt(point);
    if (node == nullptr || !node->HasChildren() || node->childCount() > 0)
        return;
    ++noWindowCount_;
    ScopeExit lower([this] { --noWindowCount_; });
    Expand(node);
}
