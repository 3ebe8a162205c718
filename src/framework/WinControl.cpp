#include "framework/WinControl.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "framework/Canvas.h"
#include "framework/ControlWidget.h"

TWinControl::TWinControl(TComponent* owner)
    : TControl(owner), widget_(std::make_unique<ControlWidget>(this)) {}

TWinControl::~TWinControl() {
    MarkDestroying();
    while (!controls_.empty())
        delete controls_.back();
    widget_->Detach();
}

TWinControl* TWinControl::FromWidget(const QWidget* widget) {
    const auto* window = dynamic_cast<const ControlWidget*>(widget);
    return window != nullptr ? window->Owner() : nullptr;
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

// A window that shows a view of Qt's hands the focus to it; the view keeps
// its own policy (setting one here would pass to it, and Tab would skip it).
void TWinControl::SetFocus() {
    if (widget_->focusPolicy() == Qt::NoFocus && widget_->focusProxy() == nullptr)
        widget_->setFocusPolicy(Qt::ClickFocus);
    widget_->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::TabStop() const {
    return (widget_->focusPolicy() & Qt::TabFocus) != 0;
}

void TWinControl::SetTabStop(bool tabStop) {
    const int policy = widget_->focusPolicy();
    widget_->setFocusPolicy(
        Qt::FocusPolicy(tabStop ? policy | Qt::TabFocus : policy & ~Qt::TabFocus));
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
