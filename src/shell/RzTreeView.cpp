#include "shell/RzTreeView.h"

#include <QMenu>
#include <QPainter>

#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/Exception.h"
#include "framework/ScopeExit.h"
#include "shell/LabelText.h"
#include "shell/TreeViewWidget.h"

namespace {

// A cut node's picture: the same, half transparent.
QImage Ghosted(const QImage& picture) {
    QImage result(picture.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setOpacity(0.5);
    painter.drawImage(0, 0, picture);
    return result;
}

}  // namespace

// ----------------------------------------------------------------- TTreeNode

bool TTreeNode::HasChildren() const {
    return childIndicatorPolicy() == ShowIndicator;
}

void TTreeNode::SetHasChildren(bool hasChildren) {
    setChildIndicatorPolicy(hasChildren ? ShowIndicator : DontShowIndicatorWhenChildless);
}

int TTreeNode::Level() const {
    int level = 0;
    for (const QTreeWidgetItem* p = parent(); p != nullptr; p = p->parent())
        ++level;
    return level;
}

bool TTreeNode::HasAncestor(const TTreeNode* ancestor) const {
    for (const QTreeWidgetItem* p = this; p != nullptr; p = p->parent())
        if (p == ancestor)
            return true;
    return false;
}

TRzCustomTreeView* TTreeNode::View() const {
    auto* widget = static_cast<TreeViewWidget*>(treeWidget());
    return widget != nullptr ? widget->Owner() : nullptr;
}

QVariant TTreeNode::data(int column, int role) const {
    TRzCustomTreeView* view = View();
    if (role == Qt::DecorationRole && view != nullptr && view->Images() != nullptr)
        return view->NodeIcon(this);
    return QTreeWidgetItem::data(column, role);
}

bool TTreeNode::operator<(const QTreeWidgetItem& other) const {
    TRzCustomTreeView* view = View();
    return view != nullptr &&
           view->CompareNodes(const_cast<TTreeNode*>(this),
                              const_cast<TTreeNode*>(static_cast<const TTreeNode*>(&other))) < 0;
}

// --------------------------------------------------------- TRzCustomTreeView

TRzCustomTreeView::TRzCustomTreeView(TComponent* owner)
    : TWinControl(owner),
      TRzFrameControllerClient(static_cast<TControl&>(*this)),
      view_(std::make_unique<TreeViewWidget>(this, Widget())),
      frame_([this] { Invalidate(); }, [this] { ApplyColors(); }) {
    Widget()->setFocusProxy(view_.get());
    SetIndent(19);
    SetColor(clWindow);
    ApplyColors();
    view_->setFont(ToQFont(Font()));
}

TRzCustomTreeView::~TRzCustomTreeView() {
    MarkDestroying();
    // The Qt items go with the widget; their data must be released first.
    ClearNodes();
    view_.reset();
}

// The nodes are written in the control's font, as the file list's rows.
void TRzCustomTreeView::FontChanged() {
    view_->setFont(ToQFont(Font()));
    TWinControl::FontChanged();
}

QTreeWidget* TRzCustomTreeView::View() const {
    return view_.get();
}

QImage TRzCustomTreeView::Grab() {
    QImage image = TWinControl::Grab();
    if (!image.isNull()) {
        QPainter painter(&image);
        painter.drawPixmap(view_->pos(), view_->grab());
    }
    return image;
}

void TRzCustomTreeView::TakeControllerFrame(TFrameStyle style, TColor flatColor) {
    SetFrameStyle(style);
    SetFrameColor(flatColor);
}

// A colour assigned from outside is the new normal colour; a focus colour
// that equalled the old one follows it.
void TRzCustomTreeView::ColorChanged() {
    if (frame_.FocusColor() == normalColor_)
        frame_.SetFocusColor(Color());
    normalColor_ = Color();
    ApplyColors();
}

void TRzCustomTreeView::EnabledChanged() {
    view_->setEnabled(Enabled());
    ApplyColors();
}

void TRzCustomTreeView::FocusChanged() {
    ApplyColors();
}

void TRzCustomTreeView::ApplyColors() {
    if (view_ == nullptr)
        return;
    QPalette palette = view_->palette();
    QColor background = ToQColor(StateColor());
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, background);
    // Without the focus the selection is the highlight half faded into the
    // background: still plainly seen in any scheme, unlike the button face,
    // which desktop schemes make nearly white.
    const QColor highlight = ToQColor(clHighlight);
    const QColor window = ToQColor(clWindow);
    palette.setColor(
        QPalette::Inactive, QPalette::Highlight,
        QColor((highlight.red() + window.red()) / 2, (highlight.green() + window.green()) / 2,
               (highlight.blue() + window.blue()) / 2));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, ToQColor(clWindowText));
    view_->setPalette(palette);
    view_->viewport()->update();
    Invalidate();
}

void TRzCustomTreeView::MouseEnter() {
    frame_.SetMouseOver(true);
}

void TRzCustomTreeView::MouseLeave() {
    frame_.SetMouseOver(false);
}

void TRzCustomTreeView::BoundsChanged(const TRect& old) {
    TWinControl::BoundsChanged(old);
    constexpr int ring = TViewFrame::kRingWidth;
    view_->setGeometry(ring, ring, std::max(Width() - 2 * ring, 0),
                       std::max(Height() - 2 * ring, 0));
}

// The border ring: the background colour, then the platform's sunken edge or
// our own frame.
void TRzCustomTreeView::Paint(TCanvas& canvas) {
    frame_.Paint(canvas, ClientRect(), StateColor(), Focused());
}

void TRzCustomTreeView::SetHideSelection(bool hide) {
    if (hide != hideSelection_) {
        hideSelection_ = hide;
        view_->viewport()->update();
    }
}

int TRzCustomTreeView::Indent() const {
    return view_->indentation();
}

void TRzCustomTreeView::SetIndent(int pixels) {
    view_->setIndentation(pixels);
}

bool TRzCustomTreeView::ShowRoot() const {
    return view_->rootIsDecorated();
}

void TRzCustomTreeView::SetShowRoot(bool show) {
    view_->setRootIsDecorated(show);
}

void TRzCustomTreeView::SetImages(HIMAGELIST images) {
    images_ = images;
    icons_.clear();
    view_->viewport()->update();
}

int TRzCustomTreeView::TopCount() const {
    return view_->topLevelItemCount();
}

TTreeNode* TRzCustomTreeView::TopNode(int i) const {
    return static_cast<TTreeNode*>(view_->topLevelItem(i));
}

TTreeNode* TRzCustomTreeView::Selected() const {
    return static_cast<TTreeNode*>(view_->currentItem());
}

void TRzCustomTreeView::SetSelected(TTreeNode* node) {
    if (node == nullptr)
        view_->setCurrentItem(nullptr);
    else
        view_->setCurrentItem(node, 0, QItemSelectionModel::ClearAndSelect);
}

TTreeNode* TRzCustomTreeView::AddChild(TTreeNode* parent, const std::string& caption, int type) {
    auto* node = new TTreeNode(type);
    node->setText(0, ReadableText(caption));
    if (parent != nullptr)
        parent->addChild(node);
    else
        view_->addTopLevelItem(node);
    return node;
}

// Every node's data is released first; then one delete frees the whole
// subtree (a Qt item frees its children without searching its parent for
// each of them).
void TRzCustomTreeView::DeleteNode(TTreeNode* node) {
    CancelEditWithin(node);
    ReleaseSubtree(node);
    delete node;
}

void TRzCustomTreeView::ReleaseSubtree(TTreeNode* node) {
    for (int i = node->childCount() - 1; i >= 0; --i)
        ReleaseSubtree(node->Child(i));
    if (node == dropTarget_)
        dropTarget_ = nullptr;
    Deletion(node);
}

void TRzCustomTreeView::SetDropTarget(TTreeNode* node) {
    if (node == dropTarget_)
        return;
    dropTarget_ = node;
    view_->viewport()->update();
}

TTreeNode* TRzCustomTreeView::NodeAt(TPoint point) const {
    return static_cast<TTreeNode*>(
        view_->itemAt(view_->viewport()->mapFrom(Widget(), QPoint(point.X, point.Y))));
}

void TRzCustomTreeView::ClearNodes() {
    CancelEditWithin(nullptr);
    for (int i = TopCount() - 1; i >= 0; --i)
        ReleaseSubtree(TopNode(i));
    dropTarget_ = nullptr;
    view_->clear();
}

void TRzCustomTreeView::SetExpanded(TTreeNode* node, bool expanded) {
    node->setExpanded(expanded);
}

void TRzCustomTreeView::SortChildren(TTreeNode* node, bool recurse) {
    if (node == nullptr) {
        view_->sortItems(0, Qt::AscendingOrder);
        return;
    }
    node->sortChildren(0, Qt::AscendingOrder);
    if (recurse)
        for (int i = 0; i < node->childCount(); ++i)
            SortChildren(node->Child(i), true);
}

void TRzCustomTreeView::MakeVisible(TTreeNode* node) {
    view_->ShowItem(node);
}

void TRzCustomTreeView::BeginUpdate() {
    if (updateLevel_++ == 0)
        view_->setUpdatesEnabled(false);
}

void TRzCustomTreeView::EndUpdate() {
    if (--updateLevel_ == 0)
        view_->setUpdatesEnabled(true);
}

// A handler of the allow events may refuse; none allows.
bool TRzCustomTreeView::Allows(const TTVAllowEvent& event, TTreeNode* node) {
    bool allow = true;
    if (event)
        event(this, node, allow);
    return allow;
}

bool TRzCustomTreeView::CanChange(TTreeNode* node) {
    return Allows(OnChanging, node);
}

void TRzCustomTreeView::Change(TTreeNode* node) {
    if (OnChange)
        OnChange(this, node);
}

bool TRzCustomTreeView::CanExpand(TTreeNode* node) {
    return Allows(OnExpanding, node);
}

void TRzCustomTreeView::Expanded(TTreeNode* node) {
    if (OnExpanded)
        OnExpanded(this, node);
}

bool TRzCustomTreeView::CanCollapse(TTreeNode* node) {
    return Allows(OnCollapsing, node);
}

void TRzCustomTreeView::Collapsed(TTreeNode* node) {
    if (OnCollapsed)
        OnCollapsed(this, node);
}

void TRzCustomTreeView::Deletion(TTreeNode* node) {
    if (OnDeletion)
        OnDeletion(this, node);
}

void TRzCustomTreeView::GetImageIndex(TTreeNode* node) {
    if (OnGetImageIndex)
        OnGetImageIndex(this, node);
}

void TRzCustomTreeView::GetSelectedIndex(TTreeNode* node) {
    if (OnGetSelectedIndex)
        OnGetSelectedIndex(this, node);
}

int TRzCustomTreeView::CompareNodes(TTreeNode* a, TTreeNode* b) {
    return a->text(0).compare(b->text(0));
}

void TRzCustomTreeView::EditNode(TTreeNode* node) {
    if (node == nullptr || IsEditing() || !CanEditNode(node))
        return;
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    editingNode_ = node;
    view_->ShowItem(node);  // a deep node's box would open out of sight
    view_->editItem(node, 0);
    if (!view_->Editing()) {
        editingNode_ = nullptr;
        return;
    }
    EditingChanged(true);
}

bool TRzCustomTreeView::IsEditing() const {
    return view_->Editing();
}

bool TRzCustomTreeView::CanEditNode(TTreeNode* node) {
    return Allows(OnEditing, node);
}

std::string TRzCustomTreeView::NodeEditText(TTreeNode* node) {
    return node->text(0).toStdString();
}

bool TRzCustomTreeView::NodeEdited(TTreeNode* node, std::string& caption) {
    if (OnEdited)
        OnEdited(this, node, caption);
    return true;
}

void TRzCustomTreeView::EditCancelled(TTreeNode* node) {
    if (OnCancelEdit)
        OnCancelEdit(this, node);
}

void TRzCustomTreeView::EditClosed(bool cancelled) {
    TTreeNode* node = std::exchange(editingNode_, nullptr);
    if (node == nullptr || Destroying())
        return;
    if (cancelled)
        Application->HandleExceptions([&] { EditCancelled(node); });
    Application->HandleExceptions([&] { EditingChanged(false); });
}

// The view drops the edit box of a removed row without closing it, which
// would leave it editing for good: the edit is cancelled first.
void TRzCustomTreeView::CancelEditWithin(const TTreeNode* subtree) {
    if (editingNode_ != nullptr && (subtree == nullptr || editingNode_->HasAncestor(subtree)))
        view_->CancelEditor(editingNode_);
}

TRect TRzCustomTreeView::NodeRect(TTreeNode* node) const {
    const QRect row = view_->visualItemRect(node);
    return {row.left(), row.top(), row.right() + 1, row.bottom() + 1};
}

bool TRzCustomTreeView::CustomDraw(TCanvas& canvas, const std::function<void(bool&)>& handler) {
    bool defaultDraw = true;
    canvas_ = &canvas;
    ScopeExit done([this] { canvas_ = nullptr; });
    Application->HandleExceptions([&] { handler(defaultDraw); });
    return defaultDraw;
}

void TRzCustomTreeView::NodeContextMenu(TTreeNode* node, TPoint pos) {
    QMenu* menu = nullptr;
    if (OnNodeContextMenu)
        OnNodeContextMenu(this, node, pos, menu);
    if (menu != nullptr)
        menu->popup(Widget()->mapToGlobal(QPoint(pos.X, pos.Y)));
}

// The node's picture at first display: its image indexes are looked up once
// and kept in the node; the composed icon is shared by every node alike.
QIcon TRzCustomTreeView::NodeIcon(const TTreeNode* constNode) {
    auto* node = const_cast<TTreeNode*>(constNode);
    if (node->ImageIndex == 0)
        GetImageIndex(node);
    if (node->SelectedIndex == 0)
        GetSelectedIndex(node);
    quint64 key = (quint64(quint32(node->ImageIndex)) << 32) |
                  (quint64(quint32(node->SelectedIndex) & 0xFFFFFF) << 8) |
                  (quint64(node->OverlayIndex + 1) << 1) | (node->Cut ? 1 : 0);
    auto it = icons_.constFind(key);
    if (it != icons_.constEnd())
        return *it;
    QIcon icon;
    icon.addPixmap(Picture(node->ImageIndex, node->OverlayIndex, node->Cut), QIcon::Normal);
    icon.addPixmap(Picture(node->SelectedIndex, node->OverlayIndex, node->Cut), QIcon::Selected);
    icons_.insert(key, icon);
    return icon;
}

QPixmap TRzCustomTreeView::Picture(int index, int overlay, bool cut) const {
    QImage picture = images_->Image(index).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull())
        return QPixmap();
    if (overlay >= 0) {
        QPainter painter(&picture);
        painter.drawImage(0, 0, images_->Image(images_->OverlayImage(overlay + 1)));
    }
    return QPixmap::fromImage(cut ? Ghosted(picture) : picture);
}
