#include "framework/Control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cctype>

#include "framework/Canvas.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

TMouseButton ToMouseButton(Qt::MouseButton button) {
    if (button == Qt::RightButton)
        return mbRight;
    return button == Qt::MiddleButton ? mbMiddle : mbLeft;
}

TShiftState ToShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

// The virtual key code for a Qt key, or 0 for keys the controls do not use.
std::uint16_t ToVirtualKey(int key) {
    switch (key) {
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Tab:
            return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Delete:
            return VK_DELETE;
        case Qt::Key_F2:
            return VK_F2;
        default:
            break;
    }
    if (key == Qt::Key_Space || (key >= Qt::Key_0 && key <= Qt::Key_9) ||
        (key >= Qt::Key_A && key <= Qt::Key_Z))
        return static_cast<std::uint16_t>(key);
    return 0;
}

TPoint ToPoint(const QPointF& p) {
    return {static_cast<int>(p.x()), static_cast<int>(p.y())};
}

}  // namespace

std::uint16_t VirtualKeyOf(int qtKey) {
    return ToVirtualKey(qtKey);
}

TShiftState ShiftStateOf(int qtModifiers) {
    return ToShiftState(Qt::KeyboardModifiers(qtModifiers), Qt::NoButton);
}

// The Qt side of a windowed control: shows its surface and hands input over.
class ControlWidget : public QWidget {
  public:
    explicit ControlWidget(TWinControl* owner) : owner_(owner) {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void Detach() { owner_ = nullptr; }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (owner_ == nullptr)
            return;
        owner_->UpdateWindow();
        QPainter painter(this);
        painter.drawImage(0, 0, owner_->Surface().Image());
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (owner_ != nullptr)
            owner_->DispatchMouseDown(ToMouseButton(e->button()), Shift(e), ToPoint(e->position()));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (owner_ != nullptr)
            owner_->DispatchMouseMove(Shift(e), ToPoint(e->position()));
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (owner_ != nullptr)
            owner_->DispatchMouseDown(ToMouseButton(e->button()), Shift(e) | ssDouble,
                                      ToPoint(e->position()));
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (owner_ != nullptr)
            owner_->DispatchMouseUp(ToMouseButton(e->button()), Shift(e), ToPoint(e->position()));
    }
    void enterEvent(QEnterEvent*) override {
        if (owner_ != nullptr)
            owner_->MouseEnter();
    }
    void leaveEvent(QEvent*) override {
        if (owner_ != nullptr)
            owner_->DispatchMouseLeave();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (owner_ != nullptr && (e->modifiers() & Qt::AltModifier) && !e->text().isEmpty() &&
            OfferDialogChar(e->text().toUcs4().front()))
            return;
        std::uint16_t key = ToVirtualKey(e->key());
        if (owner_ == nullptr || key == 0)
            return QWidget::keyPressEvent(e);
        owner_->DispatchKeyDown(key, ToShiftState(e->modifiers(), Qt::NoButton));
    }
    // The user sized a top-level window.
    void resizeEvent(QResizeEvent*) override {
        if (owner_ != nullptr && owner_->Parent() == nullptr)
            owner_->SetBounds(owner_->Left(), owner_->Top(), width(), height());
    }

  private:
    static TShiftState Shift(QMouseEvent* e) { return ToShiftState(e->modifiers(), e->buttons()); }
    // Accelerators belong to the whole window, whichever control has the focus.
    bool OfferDialogChar(char32_t ch) {
        TWinControl* window = owner_;
        while (window->Parent() != nullptr)
            window = window->Parent();
        return window->DialogChar(ch);
    }

    TWinControl* owner_;
};

// ---------------------------------------------------------------- TComponent

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_ != nullptr) {
        owner_->components_.push_back(this);
        loading_ = owner_->loading_;
        NotifyOwnerTree(this, opInsert);
    }
}

TComponent::~TComponent() {
    destroying_ = true;
    while (!components_.empty())
        delete components_.back();
    if (owner_ != nullptr) {
        std::erase(owner_->components_, this);
        NotifyOwnerTree(this, opRemove);
    }
    while (!freeNotifies_.empty()) {
        TComponent* watcher = freeNotifies_.back();
        RemoveFreeNotification(watcher);
        if (!watcher->destroying_)
            watcher->Notification(this, opRemove);
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
        freeNotifies_.push_back(component);
        component->freeNotifies_.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (component == nullptr)
        return;
    std::erase(freeNotifies_, component);
    std::erase(component->freeNotifies_, this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* component : components_)
        if (!name.empty() && SameName(component->name_, name))
            return component;
    return nullptr;
}

void TComponent::BeginLoading() {
    loading_ = true;
    for (TComponent* component : components_)
        component->BeginLoading();
}

void TComponent::EndLoading() {
    loading_ = false;
    Loaded();
    for (TComponent* component : components_)
        component->EndLoading();
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::NotifyOwnerTree(TComponent* component, TOperation operation) {
    if (!owner_->destroying_)
        owner_->Notification(component, operation);
    for (TComponent* sibling : owner_->components_)
        if (sibling != component && !sibling->destroying_)
            sibling->Notification(component, operation);
}

// ------------------------------------------------------------------ TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
    MarkDestroying();
    if (parent_ != nullptr)
        parent_->RemoveControl(this);
    parent_ = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_)
        return;
    if (parent_ != nullptr)
        parent_->RemoveControl(this);
    parent_ = parent;
    if (parent_ != nullptr) {
        parent_->InsertControl(this);
        ParentColorChanged();
    }
    ParentChanged();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    TRect old = BoundsRect();
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    BoundsChanged(old);
    RequestAlign();
}

void TControl::BoundsChanged(const TRect& old) {
    if (parent_ != nullptr && visible_) {
        parent_->MarkDirty(old);
        parent_->MarkDirty(BoundsRect());
    }
}

void TControl::SetAlign(TAlign align) {
    if (align == align_)
        return;
    const TAlign old = align_;
    align_ = align;
    RequestAlign();
    AlignChanged(old);
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    if (!IsWindowed() && parent_ != nullptr)
        parent_->MarkDirty(BoundsRect());
    VisibleChanged();
    RequestAlign();
}

bool TControl::Showing() const {
    if (!visible_)
        return false;
    if (parent_ != nullptr)
        return parent_->Showing();
    return IsWindowed() && static_cast<const TWinControl*>(this)->Widget()->isVisible();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    EnabledChanged();
}

void TControl::SetColor(TColor color) {
    parentColor_ = false;
    AssignColor(color);
}

void TControl::AssignColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    ColorChanged();
}

void TControl::SetParentColor(bool parentColor) {
    if (parentColor == parentColor_)
        return;
    parentColor_ = parentColor;
    ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (parentColor_ && parent_ != nullptr)
        AssignColor(parent_->Color());
}

void TControl::SetFont(const TFont& font) {
    if (font == font_)
        return;
    font_ = font;
    FontChanged();
}

void TControl::SetCursor(TCursor cursor) {
    cursor_ = cursor;
}

void TControl::SetCaption(const std::string& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    TextChanged();
}

TWinControl* TControl::Window() {
    return IsWindowed() ? static_cast<TWinControl*>(this) : parent_;
}

TPoint TControl::OriginInWindow() const {
    return IsWindowed() ? TPoint{} : TPoint{left_, top_};
}

TPoint TControl::ClientToScreen(TPoint p) const {
    if (IsWindowed()) {
        QPoint global =
            static_cast<const TWinControl*>(this)->Widget()->mapToGlobal(QPoint(p.X, p.Y));
        return {global.x(), global.y()};
    }
    return parent_ != nullptr ? parent_->ClientToScreen({p.X + left_, p.Y + top_}) : p;
}

TPoint TControl::ScreenToClient(TPoint p) const {
    TPoint origin = ClientToScreen({0, 0});
    return {p.X - origin.X, p.Y - origin.Y};
}

void TControl::Invalidate() {
    InvalidateRect(ClientRect());
}

void TControl::InvalidateRect(const TRect& rect) {
    TWinControl* window = Window();
    if (window == nullptr || (!IsWindowed() && !visible_))
        return;
    TPoint origin = OriginInWindow();
    window->MarkDirty(IntersectRect(OffsetRect(rect, origin.X, origin.Y),
                                    OffsetRect(ClientRect(), origin.X, origin.Y)));
}

void TControl::Update() {
    if (TWinControl* window = Window())
        window->UpdateWindow();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::Paint(TCanvas&) {}

void TControl::MouseDown(TMouseButton, TShiftState, int, int) {}
void TControl::MouseMove(TShiftState, int, int) {}
void TControl::MouseUp(TMouseButton, TShiftState, int, int) {}

bool TControl::MouseCapture() const {
    if (IsWindowed())
        return static_cast<const TWinControl*>(this)->selfCaptured_;
    return parent_ != nullptr && parent_->captureControl_ == this;
}

void TControl::SetMouseCapture(bool capture) {
    if (IsWindowed()) {
        auto* self = static_cast<TWinControl*>(this);
        self->selfCaptured_ = capture;
        if (capture)
            self->Widget()->grabMouse();
        else if (QWidget::mouseGrabber() == self->Widget())
            self->Widget()->releaseMouse();
    } else if (parent_ != nullptr) {
        if (capture)
            parent_->captureControl_ = this;
        else if (parent_->captureControl_ == this)
            parent_->captureControl_ = nullptr;
    }
}

void TControl::Click() {
    CallEvent(OnClick, this);
}

void TControl::DblClick() {
    CallEvent(OnDblClick, this);
}

void TControl::RequestAlign() {
    if (parent_ != nullptr)
        parent_->AlignChildren(this);
}

// --------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner)
    : TControl(owner), widget_(std::make_unique<ControlWidget>(this)) {}

TWinControl::~TWinControl() {
    MarkDestroying();
    while (!controls_.empty())
        delete controls_.back();
    widget_->Detach();
}

QWidget* TWinControl::Widget() const {
    return widget_.get();
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent == Parent())
        return;
    widget_->setParent(parent != nullptr ? parent->Widget() : nullptr);
    widget_->setGeometry(Left(), Top(), Width(), Height());
    widget_->setVisible(parent != nullptr && Visible());
    TControl::SetParent(parent);
}

void TWinControl::BoundsChanged(const TRect& old) {
    widget_->setGeometry(Left(), Top(), Width(), Height());
    if (old.Width() == Width() && old.Height() == Height())
        return;
    surface_.SetSize(Width(), Height());
    dirty_ = QRegion();
    MarkDirty(ClientRect());
    Realign();
    Resize();
}

void TWinControl::VisibleChanged() {
    if (Parent() != nullptr || !Visible())
        widget_->setVisible(Visible());
}

void TWinControl::ColorChanged() {
    Invalidate();
    for (TControl* control : controls_)
        control->ParentColorChanged();
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    if (!control->IsWindowed() && control->Visible())
        MarkDirty(control->BoundsRect());
    ControlListChanged(control, true);
    AlignChildren(control);
}

void TWinControl::RemoveControl(TControl* control) {
    ForgetChild(control);
    std::erase(controls_, control);
    if (!control->IsWindowed() && control->Visible())
        MarkDirty(control->BoundsRect());
    ControlListChanged(control, false);
    if (!Destroying())
        AlignChildren(nullptr);
}

void TWinControl::ForgetChild(TControl* control) {
    if (captureControl_ == control)
        captureControl_ = nullptr;
    if (hoverControl_ == control)
        hoverControl_ = nullptr;
}

void TWinControl::DisableAlign() {
    ++alignLevel_;
}

void TWinControl::EnableAlign() {
    if (--alignLevel_ == 0 && alignPending_) {
        alignPending_ = false;
        Realign();
    }
}

void TWinControl::Realign() {
    AlignChildren(nullptr);
}

void TWinControl::AlignChildren(TControl* control) {
    if (Destroying() || aligning_)
        return;
    if (alignLevel_ > 0 || Loading()) {
        alignPending_ = true;
        return;
    }
    aligning_ = true;
    TRect rect = AlignRect();
    AlignControls(control, rect);
    aligning_ = false;
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> list;
        for (TControl* child : controls_)
            if (child->Align() == align && child->Visible())
                list.push_back(child);
        // Order along the edge the alignment fills; the child that asked
        // goes first among equals.
        auto key = [align](const TControl* c) {
            switch (align) {
                case alTop:
                    return c->Top();
                case alBottom:
                    return -(c->Top() + c->Height());
                case alLeft:
                    return c->Left();
                case alRight:
                    return -(c->Left() + c->Width());
                default:
                    return 0;
            }
        };
        std::stable_sort(list.begin(), list.end(), [&](const TControl* a, const TControl* b) {
            return key(a) < key(b) || (key(a) == key(b) && a == control && b != control);
        });
        for (TControl* child : list) {
            int w = child->Width(), h = child->Height();
            switch (align) {
                case alTop:
                    child->SetBounds(rect.Left, rect.Top, rect.Width(), h);
                    rect.Top += h;
                    break;
                case alBottom:
                    child->SetBounds(rect.Left, rect.Bottom - h, rect.Width(), h);
                    rect.Bottom -= h;
                    break;
                case alLeft:
                    child->SetBounds(rect.Left, rect.Top, w, rect.Height());
                    rect.Left += w;
                    break;
                case alRight:
                    child->SetBounds(rect.Right - w, rect.Top, w, rect.Height());
                    rect.Right -= w;
                    break;
                default:
                    child->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
                    break;
            }
        }
    }
}

void TWinControl::Loaded() {
    if (alignPending_ && alignLevel_ == 0) {
        alignPending_ = false;
        Realign();
    }
}

TControl* TWinControl::ControlAtPos(TPoint p) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->IsWindowed() || !c->Visible() || !c->Enabled() || !c->BoundsRect().Contains(p))
            continue;
        if (c->HitTest({p.X - c->Left(), p.Y - c->Top()}))
            return c;
    }
    return nullptr;
}

void TWinControl::MarkDirty(const TRect& rect) {
    if (rect.IsEmpty())
        return;
    QRect r = ToQRect(rect);
    dirty_ += r;
    widget_->update(r);
}

void TWinControl::UpdateWindow() {
    if (dirty_.isEmpty() || surface_.Empty())
        return;
    QRegion region = dirty_;
    dirty_ = QRegion();
    PaintRegion(region);
}

void TWinControl::PaintRegion(const QRegion& region) {
    QPainter painter(&surface_.Image());
    painter.setClipRegion(region);
    {
        TCanvas canvas(painter);
        if (ErasesBackground()) {
            canvas.Brush.Color = Color();
            canvas.FillRect(ClientRect());
        }
        Paint(canvas);
    }
    for (TControl* child : controls_) {
        if (child->IsWindowed() || !child->Visible() ||
            !region.intersects(ToQRect(child->BoundsRect())))
            continue;
        painter.save();
        painter.translate(child->Left(), child->Top());
        painter.setClipRect(QRect(0, 0, child->Width(), child->Height()), Qt::IntersectClip);
        {
            TCanvas canvas(painter);
            child->Paint(canvas);
        }
        painter.restore();
    }
    TCanvas canvas(painter);
    PaintOverChildren(canvas);
}

QImage TWinControl::Grab() {
    UpdateWindow();
    QImage image = surface_.Image().copy();
    if (image.isNull())
        return image;
    QPainter painter(&image);
    for (TControl* child : controls_)
        if (child->IsWindowed() && child->Visible())
            painter.drawImage(child->Left(), child->Top(),
                              static_cast<TWinControl*>(child)->Grab());
    return image;
}

bool TWinControl::Focused() const {
    return widget_->hasFocus();
}

void TWinControl::SetFocus() {
    if (widget_->focusPolicy() == Qt::NoFocus)
        widget_->setFocusPolicy(Qt::ClickFocus);
    widget_->setFocus(Qt::OtherFocusReason);
}

void TWinControl::KeyDown(std::uint16_t&, TShiftState) {}

// Returns as soon as a child takes the character: its click may have
// changed the list.
bool TWinControl::DialogChar(char32_t ch) {
    for (TControl* control : controls_)
        if (control->DialogChar(ch))
            return true;
    return false;
}

bool IsAccel(char32_t ch, std::string_view caption) {
    const QString text = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    for (qsizetype i = text.indexOf(u'&'); i >= 0 && i + 1 < text.size();
         i = text.indexOf(u'&', i + 2)) {
        if (text[i + 1] != u'&')
            return QString(text[i + 1]).compare(QString::fromUcs4(&ch, 1), Qt::CaseInsensitive) ==
                   0;
    }
    return false;
}

void TWinControl::DispatchKeyDown(std::uint16_t key, TShiftState shift) {
    if (OnKeyDown) {
        // The handler may replace itself (a borrowed handler given back) or
        // free this window.
        const std::weak_ptr<void> alive = Lifetime();
        TKeyEvent handler = OnKeyDown;
        handler(this, key, shift);
        if (alive.expired())
            return;
    }
    if (key != 0)
        KeyDown(key, shift);
}

void TWinControl::DispatchMouseDown(TMouseButton button, TShiftState shift, TPoint p) {
    TControl* target = captureControl_ != nullptr ? captureControl_ : ControlAtPos(p);
    if (target == nullptr) {
        selfCaptured_ = true;
        target = this;
    } else {
        captureControl_ = target;
    }
    TPoint origin = target->OriginInWindow();
    if ((shift & ssDouble) != 0 && button == mbLeft) {
        const std::weak_ptr<void> alive = target->Lifetime();
        target->DblClick();
        if (alive.expired())
            return;
    }
    target->MouseDown(button, shift, p.X - origin.X, p.Y - origin.Y);
}

void TWinControl::DispatchMouseMove(TShiftState shift, TPoint p) {
    TControl* target = captureControl_;
    if (target == nullptr && !selfCaptured_) {
        TrackHover(p);
        ShowCursorAt(p);
        target = hoverControl_;
    }
    if (target == nullptr)
        MouseMove(shift, p.X, p.Y);
    else
        target->MouseMove(shift, p.X - target->Left(), p.Y - target->Top());
}

void TWinControl::DispatchMouseUp(TMouseButton button, TShiftState shift, TPoint p) {
    TControl* target = captureControl_;
    bool released = (shift & (ssLeft | ssRight | ssMiddle)) == 0;
    if (released) {
        captureControl_ = nullptr;
        selfCaptured_ = false;
    }
    const std::weak_ptr<void> alive = Lifetime();
    if (target == nullptr)
        MouseUp(button, shift, p.X, p.Y);
    else
        target->MouseUp(button, shift, p.X - target->Left(), p.Y - target->Top());
    if (alive.expired())
        return;  // a click freed this window
    if (released && !Destroying()) {
        TrackHover(p);
        ShowCursorAt(p);
    }
}

void TWinControl::DispatchMouseLeave() {
    if (TControl* hovered = hoverControl_) {
        hoverControl_ = nullptr;
        hovered->MouseLeave();
    }
    MouseLeave();
}

void TWinControl::TrackHover(TPoint p) {
    TControl* now = ControlAtPos(p);
    if (now == hoverControl_)
        return;
    TControl* old = hoverControl_;
    hoverControl_ = now;
    if (old != nullptr)
        old->MouseLeave();
    if (now != nullptr)
        now->MouseEnter();
}

void TWinControl::ShowCursorAt(TPoint p) {
    TCursor cursor = hoverControl_ != nullptr ? hoverControl_->Cursor() : CursorAt(p);
    widget_->setCursor(QCursor(static_cast<Qt::CursorShape>(QtCursorShape(cursor))));
}

// ------------------------------------------------------------ TControlCanvas

TControlCanvas::TControlCanvas(TControl& control) : window_(control.Window()) {
    TPoint origin = control.OriginInWindow();
    area_ = OffsetRect(control.ClientRect(), origin.X, origin.Y);
    if (window_ == nullptr || window_->surface_.Empty() || !control.Visible()) {
        window_ = nullptr;
        scratch_.SetSize(std::max(control.Width(), 1), std::max(control.Height(), 1));
        canvas_ = std::make_unique<TCanvas>(scratch_);
        return;
    }
    painter_ = std::make_unique<QPainter>(&window_->surface_.Image());
    painter_->translate(area_.Left, area_.Top);
    painter_->setClipRect(QRect(0, 0, area_.Width(), area_.Height()));
    canvas_ = std::make_unique<TCanvas>(*painter_);
}

TControlCanvas::~TControlCanvas() {
    canvas_.reset();
    painter_.reset();
    if (window_ != nullptr)
        window_->widget_->update(ToQRect(area_));
}
