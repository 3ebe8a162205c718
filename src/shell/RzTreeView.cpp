#include "shell/RzTreeView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/Exception.h"
#include "framework/ScopeExit.h"
#include "shell/DragGesture.h"
#include "shell/LabelText.h"

// The Qt side of the tree view: reports focus, clicks, expansion, selection,
// editing and context-menu requests to its owner.
class TreeViewWidget : public QTreeWidget {
  public:
    TreeViewWidget(TRzCustomTreeView* owner, QWidget* parent);
    TRzCustomTreeView* Owner() const { return owner_; }
    bool Editing() const { return state() == EditingState; }
    bool CanChange(TTreeNode* node) { return owner_->CanChange(node); }
    // Scrolls the item's row into sight and sideways so that its label
    // starts in sight (the view's own scrolling leaves deep labels out).
    void ShowItem(QTreeWidgetItem* item) {
        scrollToItem(item);
        header()->resizeSections(QHeaderView::ResizeToContents);
        updateGeometries();
        const QRect row = visualItemRect(item);
        const int labelEnd =
            row.left() + iconSize().width() + fontMetrics().horizontalAdvance(item->text(0));
        if (row.left() < 0 || labelEnd > viewport()->width())
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + row.left() -
                                            indentation());
    }
    // Dismisses the item's open edit box as Escape does.
    void CancelEditor(QTreeWidgetItem* item) {
        if (QWidget* editor = indexWidget(indexFromItem(item)))
            closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }

  protected:
    // A sideways step is one level of indentation; the view's own step is
    // half its width, which throws a dragged pointer's labels out of sight.
    void updateGeometries() override {
        QTreeWidget::updateGeometries();
        horizontalScrollBar()->setSingleStep(indentation());
    }
    void focusInEvent(QFocusEvent* e) override {
        QTreeWidget::focusInEvent(e);
        owner_->FocusChanged();
    }
    void focusOutEvent(QFocusEvent* e) override {
        QTreeWidget::focusOutEvent(e);
        owner_->FocusChanged();
    }
    // A press on a node's picture or caption may start a drag of the node, so
    // it takes effect (selection, menu) only at the release; a drag that
    // starts leaves the selection where it was.
    void mousePressEvent(QMouseEvent* e) override {
        auto* node = static_cast<TTreeNode*>(itemAt(e->pos()));
        gesture_.Press(e->button(), e->pos());
        if (node != nullptr && gesture_.Watching() && visualItemRect(node).contains(e->pos())) {
            pressedNode_ = indexFromItem(node);
            deferredPress_.reset(e->clone());
            return;
        }
        gesture_.Cancel();
        Press(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!deferredPress_) {
            QTreeWidget::mouseMoveEvent(e);
            return;
        }
        if (!gesture_.Move(e->buttons(), e->pos()))
            return;
        std::unique_ptr<QMouseEvent> press = std::move(deferredPress_);
        bool started = false;
        if (PressedNode() != nullptr)
            Application->HandleExceptions(
                [&] { started = owner_->BeginNodeDrag(PressedNode(), gesture_.DragButton()); });
        if (!started)
            Press(press.get());
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        std::optional<QPoint> menuAt = gesture_.Release(e->button());
        if (std::unique_ptr<QMouseEvent> press = std::move(deferredPress_))
            Press(press.get());
        if (menuAt)
            MouseContextMenu(*menuAt);
        QTreeWidget::mouseReleaseEvent(e);
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        if (e->reason() != QContextMenuEvent::Mouse)
            return KeyboardContextMenu();
        if (!gesture_.DeferMenu(e->pos()))
            MouseContextMenu(e->pos());
    }
    // The control's OnKeyDown sees every key first and may keep it from the
    // tree (a splitter drag borrows it for Escape).
    void keyPressEvent(QKeyEvent* e) override {
        std::uint16_t key = VirtualKeyOf(e->key());
        if (key != 0 && owner_->OnKeyDown) {
            TKeyEvent handler = owner_->OnKeyDown;
            handler(owner_, key, ShiftStateOf(e->modifiers().toInt()));
            if (key == 0)
                return;
        }
        if (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier) {
            KeyboardContextMenu();
            return;
        }
        bool consumed = false;
        Application->HandleExceptions(
            [&] { consumed = owner_->KeyDown(e->key(), e->modifiers()); });
        if (!consumed)
            QTreeWidget::keyPressEvent(e);
    }
    // The node pressed, if a refresh has not taken it away meanwhile.
    TTreeNode* PressedNode() const {
        return pressedNode_.isValid() ? static_cast<TTreeNode*>(itemFromIndex(pressedNode_))
                                      : nullptr;
    }
    void Press(QMouseEvent* e) {
        owner_->TreeMouseDown(e->button() == Qt::RightButton ? mbRight : mbLeft);
        QTreeWidget::mousePressEvent(e);
    }
    // `at` in viewport coordinates.
    void MouseContextMenu(QPoint at) {
        QPoint p = viewport()->mapTo(this, at) + pos();
        auto* node = static_cast<TTreeNode*>(itemAt(at));
        Application->HandleExceptions([&] { owner_->NodeContextMenu(node, {p.x(), p.y()}); });
    }
    // From the keyboard the menu opens at the centre of the selected node.
    void KeyboardContextMenu() {
        auto* node = static_cast<TTreeNode*>(currentItem());
        QPoint p = pos();
        if (node != nullptr)
            p += viewport()->mapTo(this, visualItemRect(node).center());
        Application->HandleExceptions([&] { owner_->NodeContextMenu(node, {p.x(), p.y()}); });
    }
    // OnCustomDraw runs before the view draws its nodes and may skip that.
    void paintEvent(QPaintEvent* e) override {
        if (owner_->OnCustomDraw) {
            QPainter painter(viewport());
            TCanvas canvas(painter);
            const QRect area = viewport()->rect();
            const TRect rect{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
            TTVCustomDrawEvent handler = owner_->OnCustomDraw;
            if (!owner_->CustomDraw(canvas, [&](bool& draw) { handler(owner_, rect, draw); }))
                return;
        }
        QTreeWidget::paintEvent(e);
    }
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
        QTreeWidget::closeEditor(editor, hint);
        owner_->EditClosed(hint == QAbstractItemDelegate::RevertModelCache);
    }

  private:
    // The view reports expansion and collapse after the fact: a refused one
    // is undone without reporting the undoing.
    void ExpandedOrCollapsed(QTreeWidgetItem* item, bool expanded);

    TRzCustomTreeView* owner_;
    TDragGesture gesture_;
    QPersistentModelIndex pressedNode_;
    std::unique_ptr<QMouseEvent> deferredPress_;
    bool undoing_ = false;
};

namespace {

// Asks the control before the current node moves to another node, and keeps
// the selection on the current node, so that a refused move leaves both
// where they were. Selecting a node when none is current, as the tree does
// after clearing its selection for its own work, keeps nothing and is not
// asked.
class TreeSelectionModel : public QItemSelectionModel {
  public:
    explicit TreeSelectionModel(TreeViewWidget* view) : QItemSelectionModel(view->model(), view) {}

    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override {
        auto* view = static_cast<TreeViewWidget*>(parent());
        auto* node = static_cast<TTreeNode*>(view->itemFromIndex(index));
        bool allow = true;
        if (node != nullptr && currentIndex().isValid() && index != currentIndex())
            Application->HandleExceptions([&] { allow = view->CanChange(node); });
        if (allow)
            QItemSelectionModel::setCurrentIndex(index, command);
    }
    void select(const QItemSelection& selection, SelectionFlags command) override {
        const QModelIndexList indexes = selection.indexes();
        for (const QModelIndex& index : indexes)
            if (index.row() != currentIndex().row() || index.parent() != currentIndex().parent())
                return;
        QItemSelectionModel::select(selection, command);
    }
    using QItemSelectionModel::select;
};

}  // namespace

// Draws the selection as the control's rules say: hidden while unfocused with
// HideSelection, else outlined with the hidden pen when unfocused. Runs
// OnCustomDrawItem first, and edits labels in their editing form.
class TreeNodeDelegate : public QStyledItemDelegate {
  public:
    TreeNodeDelegate(TRzCustomTreeView* owner, QObject* parent)
        : QStyledItemDelegate(parent), owner_(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (owner_->OnCustomDrawItem && !DefaultDrawWanted(painter, option, index))
            return;
        QStyleOptionViewItem opt(option);
        bool unfocusedSelection = (opt.state & QStyle::State_Selected) && !owner_->Focused();
        if (unfocusedSelection && owner_->HideSelection())
            opt.state &= ~QStyle::State_Selected;
        // The target of a drag shows as selected whatever has the focus.
        const bool dropTarget =
            owner_->DropTarget() != nullptr &&
            owner_->DropTarget() == static_cast<TreeViewWidget*>(parent())->itemFromIndex(index);
        if (dropTarget)
            opt.state |= QStyle::State_Selected | QStyle::State_Active;
        QStyledItemDelegate::paint(painter, opt, index);
        if (!unfocusedSelection || owner_->HideSelection() || dropTarget)
            return;
        initStyleOption(&opt, index);
        const QWidget* widget = opt.widget;
        QRect text = widget->style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        painter->save();
        painter->setPen(QPen(ToQColor(clBtnShadow), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(text.adjusted(0, 0, -1, -1));
        painter->restore();
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        TTreeNode* node = NodeOf(index);
        if (line == nullptr || node == nullptr)
            return QStyledItemDelegate::setEditorData(editor, index);
        std::string name;
        Application->HandleExceptions([&] { name = owner_->NodeEditText(node); });
        line->setText(ReadableText(name));
    }

    // An edited caption is taken only when the control accepts it.
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        TTreeNode* node = NodeOf(index);
        if (line == nullptr || node == nullptr)
            return QStyledItemDelegate::setModelData(editor, model, index);
        bool accepted = false;
        std::string caption;
        Application->HandleExceptions([&] {
            caption = EditedName(owner_->NodeEditText(node), line->text());
            accepted = owner_->NodeEdited(node, caption);
        });
        if (accepted)
            node->setText(0, ReadableText(caption));
    }

  private:
    TTreeNode* NodeOf(const QModelIndex& index) const {
        return static_cast<TTreeNode*>(
            static_cast<TreeViewWidget*>(parent())->itemFromIndex(index));
    }
    // Runs OnCustomDrawItem; false when the handler skipped the default drawing.
    bool DefaultDrawWanted(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
        TTreeNode* node = NodeOf(index);
        TCustomDrawState state = 0;
        if (option.state & QStyle::State_Selected)
            state |= cdsSelected;
        if (option.state & QStyle::State_HasFocus)
            state |= cdsFocused;
        if (option.state & QStyle::State_MouseOver)
            state |= cdsHot;
        if (!(option.state & QStyle::State_Enabled))
            state |= cdsDisabled;
        TCanvas canvas(*painter);
        TTVCustomDrawItemEvent handler = owner_->OnCustomDrawItem;
        return owner_->CustomDraw(canvas, [&](bool& draw) { handler(owner_, node, state, draw); });
    }

    TRzCustomTreeView* owner_;
};

namespace {

// The selection covers the node's caption only, not the indentation before
// it, as on the platform's tree view.
class TreeStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ItemView_ShowDecorationSelected)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QImage Ghosted(const QImage& picture) {
    QImage result(picture.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setOpacity(0.5);
    painter.drawImage(0, 0, picture);
    return result;
}

}  // namespace

TreeViewWidget::TreeViewWidget(TRzCustomTreeView* owner, QWidget* parent)
    : QTreeWidget(parent), owner_(owner) {
    setHeaderHidden(true);
    setColumnCount(1);
    // The column is as wide as the widest shown label; the view scrolls
    // sideways past the control's width rather than cutting labels short.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setFrameShape(QFrame::NoFrame);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setItemDelegate(new TreeNodeDelegate(owner, this));
    std::unique_ptr<QItemSelectionModel> plain(selectionModel());
    setSelectionModel(new TreeSelectionModel(this));
    auto* style = new TreeStyle();
    style->setParent(this);
    setStyle(style);
    // The tree widget's own item signals stay with the replaced model.
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                auto* node = static_cast<TTreeNode*>(itemFromIndex(current));
                Application->HandleExceptions([&] { owner_->Change(node); });
            });
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { ExpandedOrCollapsed(item, true); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { ExpandedOrCollapsed(item, false); });
}

void TreeViewWidget::ExpandedOrCollapsed(QTreeWidgetItem* item, bool expanded) {
    if (undoing_)
        return;
    auto* node = static_cast<TTreeNode*>(item);
    bool allow = false;
    Application->HandleExceptions(
        [&] { allow = expanded ? owner_->CanExpand(node) : owner_->CanCollapse(node); });
    if (!allow) {
        undoing_ = true;
        item->setExpanded(!expanded);
        undoing_ = false;
        return;
    }
    Application->HandleExceptions(
        [&] { expanded ? owner_->Expanded(node) : owner_->Collapsed(node); });
}

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
      view_(std::make_unique<TreeViewWidget>(this, Widget())) {
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

void TRzCustomTreeView::SetFocusColor(TColor color) {
    if (color != focusColor_) {
        focusColor_ = color;
        ApplyColors();
    }
}

void TRzCustomTreeView::SetDisabledColor(TColor color) {
    if (color != disabledColor_) {
        disabledColor_ = color;
        ApplyColors();
    }
}

TColor TRzCustomTreeView::StateColor() const {
    if (!Enabled())
        return disabledColor_;
    return Focused() ? focusColor_ : Color();
}

// A colour assigned from outside is the new normal colour; a focus colour
// that equalled the old one follows it.
void TRzCustomTreeView::ColorChanged() {
    if (focusColor_ == normalColor_)
        focusColor_ = Color();
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
    palette.setColor(QPalette::Inactive, QPalette::Highlight, ToQColor(clBtnFace));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, ToQColor(clBtnText));
    view_->setPalette(palette);
    view_->viewport()->update();
    Invalidate();
}

void TRzCustomTreeView::MouseEnter() {
    HotChanged(true);
}

void TRzCustomTreeView::MouseLeave() {
    HotChanged(false);
}

void TRzCustomTreeView::HotChanged(bool in) {
    mouseIn_ = in;
    ApplyColors();
}

bool TRzCustomTreeView::FrameHot() const {
    return frameHotTrack_ && (Focused() || mouseIn_);
}

void TRzCustomTreeView::BoundsChanged(const TRect& old) {
    TWinControl::BoundsChanged(old);
    view_->setGeometry(kBorderWidth, kBorderWidth, std::max(Width() - 2 * kBorderWidth, 0),
                       std::max(Height() - 2 * kBorderWidth, 0));
}

// The border ring: the background colour, then the platform's sunken edge or
// our own frame.
void TRzCustomTreeView::Paint(TCanvas& canvas) {
    TRect ring = ClientRect();
    canvas.Brush.Color = StateColor();
    canvas.FillRect(ring);
    if (!frameVisible_) {
        DrawFrameStyle(canvas, ring, fsLowered, sdAllSides);
        return;
    }
    TFrameStyle style = FrameHot() ? frameHotStyle_ : frameStyle_;
    TColor color = FrameHot() ? frameHotColor_ : frameColor_;
    if (style == fsFlat || style == fsFlatBold) {
        TRect inner = DrawFrameRing(canvas, ring, color, color, frameSides_);
        if (style == fsFlatBold)
            DrawFrameRing(canvas, inner, color, color, frameSides_);
    } else {
        DrawFrameStyle(canvas, ring, style, frameSides_);
    }
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
