#include "framework/Control.h"

#include <QWidget>
#include <algorithm>

#include "framework/WinControl.h"

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
