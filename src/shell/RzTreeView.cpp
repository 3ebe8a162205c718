#include "shell/RzTreeView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/Exception.h"
#include "shell/DragGesture.h"

// The Qt side of the tree view: reports focus, clicks, expansion, selection
// and context-menu requests to its owner.
class TreeViewWidget : public QTreeWidget {
  public:
    TreeViewWidget(TRzCustomTreeView* owner, QWidget* parent);
    TRzCustomTreeView* Owner() const { return owner_; }
    bool Editing() const { return state() == EditingState; }
    bool NodeEdited(TTreeNode* node, std::string& caption) {
        return owner_->NodeEdited(node, caption);
    }

  protected:
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

  private:
    TRzCustomTreeView* owner_;
    TDragGesture gesture_;
    QPersistentModelIndex pressedNode_;
    std::unique_ptr<QMouseEvent> deferredPress_;
};

namespace {

// Draws the selection as the control's rules say: hidden while unfocused with
// HideSelection, else outlined with the hidden pen when unfocused.
class TreeNodeDelegate : public QStyledItemDelegate {
  public:
    TreeNodeDelegate(TRzCustomTreeView* owner, QObject* parent)
        : QStyledItemDelegate(parent), owner_(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
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

    // An edited caption is taken only when the control accepts it.
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        auto* view = static_cast<TreeViewWidget*>(parent());
        auto* node = static_cast<TTreeNode*>(view->itemFromIndex(index));
        if (line == nullptr || node == nullptr)
            return QStyledItemDelegate::setModelData(editor, model, index);
        std::string caption = line->text().toStdString();
        bool accepted = false;
        Application->HandleExceptions([&] { accepted = view->NodeEdited(node, caption); });
        if (accepted)
            node->setText(0, QString::fromStdString(caption));
    }

  private:
    TRzCustomTreeView* owner_;
};

// Length of the valid UTF-8 sequence at bytes[i], 0 when there is none.
std::size_t Utf8SequenceAt(const std::string& bytes, std::size_t i) {
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    unsigned char lead = at(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4 || i + length > bytes.size())
        return 0;
    // The second byte's range rules out overlong forms, surrogates and
    // values past U+10FFFF.
    unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (std::size_t k = i + 2; k < i + length; ++k)
        if ((at(k) & 0xC0) != 0x80)
            return 0;
    return length;
}

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

QString ReadableText(const std::string& bytes) {
    QString text;
    std::size_t run = 0;  // start of the valid run not yet appended
    auto flush = [&](std::size_t end) {
        text += QString::fromUtf8(bytes.data() + run, static_cast<qsizetype>(end - run));
    };
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t length = Utf8SequenceAt(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        flush(i);
        text += QString::asprintf("\\x%02X", static_cast<unsigned char>(bytes[i]));
        run = ++i;
    }
    flush(bytes.size());
    return text;
}

TreeViewWidget::TreeViewWidget(TRzCustomTreeView* owner, QWidget* parent)
    : QTreeWidget(parent), owner_(owner) {
    setHeaderHidden(true);
    setColumnCount(1);
    setFrameShape(QFrame::NoFrame);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setItemDelegate(new TreeNodeDelegate(owner, this));
    auto* style = new TreeStyle();
    style->setParent(this);
    setStyle(style);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        Application->HandleExceptions([&] { owner_->Change(static_cast<TTreeNode*>(current)); });
    });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        auto* node = static_cast<TTreeNode*>(item);
        bool expand = false;
        Application->HandleExceptions([&] { expand = owner_->CanExpand(node); });
        if (!expand)
            item->setExpanded(false);
        else
            Application->HandleExceptions([&] { owner_->Expanded(node); });
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        Application->HandleExceptions([&] { owner_->Collapsed(static_cast<TTreeNode*>(item)); });
    });
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
    : TWinControl(owner), view_(std::make_unique<TreeViewWidget>(this, Widget())) {
    Widget()->setFocusProxy(view_.get());
    SetIndent(19);
    SetColor(clWindow);
    ApplyColors();
}

TRzCustomTreeView::~TRzCustomTreeView() {
    MarkDestroying();
    // The Qt items go with the widget; their data must be released first.
    ClearNodes();
    view_.reset();
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
    view_->scrollToItem(node);
}

void TRzCustomTreeView::BeginUpdate() {
    if (updateLevel_++ == 0)
        view_->setUpdatesEnabled(false);
}

void TRzCustomTreeView::EndUpdate() {
    if (--updateLevel_ == 0)
        view_->setUpdatesEnabled(true);
}

void TRzCustomTreeView::Change(TTreeNode* node) {
    if (OnChange)
        OnChange(this, node);
}

bool TRzCustomTreeView::CanExpand(TTreeNode* node) {
    bool allow = true;
    if (OnExpanding)
        OnExpanding(this, node, allow);
    return allow;
}

void TRzCustomTreeView::Expanded(TTreeNode* node) {
    if (OnExpanded)
        OnExpanded(this, node);
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
    if (node == nullptr || !CanEditNode(node))
        return;
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    view_->editItem(node, 0);
}

bool TRzCustomTreeView::IsEditing() const {
    return view_->Editing();
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
