#include "chrome/Splitter.h"

#include <algorithm>

#include "chrome/Frame.h"
#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/Form.h"

namespace {

bool IsTopOrBottom(TAlign a) {
    return a == alTop || a == alBottom;
}
bool IsLeftOrRight(TAlign a) {
    return a == alLeft || a == alRight;
}

// The window the drag line is shown on: the splitter's form, or its topmost
// parent when it sits on none.
TWinControl* LineWindow(TControl* control) {
    if (TCustomForm* form = GetParentForm(control)) {
        return form;
    }
    TWinControl* top = control->Parent();
    while (top != nullptr && top->Parent() != nullptr) {
        top = top->Parent();
    }
    return top;
}

// A size after a drag: below the room the parent offers (3 less when it
// would fill it), and never below 1, even in a parent too small for that.
int FitSize(int size, int room) {
    size = std::max(size, 1);
    return std::max(size >= room ? room - 3 : size, 1);
}

}  // namespace

// The inverted line shown during a drag. It lies over the form and its
// controls as a small window of its own, showing the form's pixels as they
// were when the drag started, inverted; removing it leaves no trace. The
// form's content is thereby frozen for the drag, as a locked window would be.
class SplitterDragLine : public TWinControl {
  public:
    SplitterDragLine(TWinControl* window, int thickness, SplitterDragLine** holder)
        : TWinControl(nullptr), snapshot_(window->Grab()), thickness_(thickness), holder_(holder) {
        SetVisible(false);
        SetParent(window);
    }
    ~SplitterDragLine() override {
        if (*holder_ == this) {
            *holder_ = nullptr;
        }
    }

    // Shows the line over the rectangle (the window's coordinates).
    void ShowAt(const TRect& rect) {
        SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
        SetVisible(true);
        Invalidate();
    }

  protected:
    bool ErasesBackground() const override { return false; }
    void Paint(TCanvas& canvas) override {
        canvas.CopyRect(ClientRect(), snapshot_, BoundsRect());
        canvas.Pen = {clWhite, thickness_, pmXor};
        const int centre = thickness_ / 2;
        if (Width() == thickness_) {
            canvas.MoveTo(centre, 0);
            canvas.LineTo(centre, Height());
        } else {
            canvas.MoveTo(0, centre);
            canvas.LineTo(Width(), centre);
        }
    }

  private:
    TBitmap snapshot_;
    int thickness_;
    SplitterDragLine** holder_;
};

TRxSplitter::TRxSplitter(TComponent* owner) : TWinControl(owner) {
    SetBounds(Left(), Top(), 185, 3);
    SetColor(clBtnFace);
}

TRxSplitter::~TRxSplitter() {
    MarkDestroying();
    EndDrag(false, 0, 0);
}

void TRxSplitter::SetControlFirst(TControl* control) {
    SetReference(controlFirst_, control);
}

void TRxSplitter::SetControlSecond(TControl* control) {
    SetReference(controlSecond_, control);
}

void TRxSplitter::SetReference(TControl*& field, TControl* control) {
    if (control == this || dynamic_cast<TCustomForm*>(control) != nullptr) {
        control = nullptr;
    }
    if (control == field) {
        return;
    }
    field = control;
    if (control != nullptr)
        control->FreeNotification(this);
    UpdateCursor();
}

void TRxSplitter::AlignChanged(TAlign old) {
    const TAlign align = Align();
    if ((old == alNone || old == alClient) && !Loading()) {
        if (IsTopOrBottom(align)) {
            SetHeight(3);
        } else if (IsLeftOrRight(align)) {
            SetWidth(3);
        }
    }
    if (controlFirst_ == nullptr && controlSecond_ == nullptr) {
        DetectControlFirst();
    }
    UpdateCursor();
}

// The sibling that touches the splitter on the side its alignment faces.
void TRxSplitter::DetectControlFirst() {
    if (Parent() == nullptr) {
        return;
    }
    TPoint probe;
    switch (Align()) {
        case alTop:
            probe = {Left(), Top() - 1};
            break;
        case alBottom:
            probe = {Left(), Top() + Height()};
            break;
        case alLeft:
            probe = {Left() - 1, Top()};
            break;
        case alRight:
            probe = {Left() + Width(), Top()};
            break;
        default:
            return;
    }
    for (TControl* sibling : Parent()->Controls()) {
        if (sibling != this && sibling->BoundsRect().Contains(probe)) {
            SetControlFirst(sibling);
            return;
        }
    }
}

void TRxSplitter::SetLimitOffset(int limit) {
    topLeftLimit_ = limit;
    bottomRightLimit_ = limit;
}

void TRxSplitter::SetBevelInner(TBevelCut cut) {
    StoreAndInvalidate(bevelInner_, cut);
}

void TRxSplitter::SetBevelOuter(TBevelCut cut) {
    StoreAndInvalidate(bevelOuter_, cut);
}

void TRxSplitter::SetBevelWidth(int width) {
    StoreAndInvalidate(bevelWidth_, width);
}

void TRxSplitter::SetBorderStyle(TSplitterBorderStyle style) {
    StoreAndInvalidate(borderStyle_, style);
}

int TRxSplitter::SplitDirection() const {
    if (controlFirst_ == nullptr) {
        return 0;
    }
    const TAlign first = controlFirst_->Align();
    const TAlign second = controlSecond_ != nullptr ? controlSecond_->Align() : alNone;
    const bool secondFree = controlSecond_ == nullptr || second == alClient;
    const bool secondSet = controlSecond_ != nullptr;
    int direction = 0;
    TAlign required = alNone;
    if (IsTopOrBottom(first) && secondFree) {
        direction = 1, required = first;
    } else if (first == alClient && secondSet && IsTopOrBottom(second)) {
        direction = 2, required = second;
    } else if (IsLeftOrRight(first) && secondFree) {
        direction = 3, required = first;
    } else if (first == alClient && secondSet && IsLeftOrRight(second)) {
        direction = 4, required = second;
    }
    return Align() == required ? direction : 0;
}

int TRxSplitter::LineThickness() const {
    const int thickness = Vertical() ? Height() : Width();
    return thickness < 4 ? 2 : thickness - 2;
}

bool TRxSplitter::Vertical() const {
    const int direction = SplitDirection();
    return direction == 1 || direction == 2;
}

void TRxSplitter::UpdateCursor() {
    const int direction = SplitDirection();
    SetCursor(direction == 0 ? crDefault : Vertical() ? crVSplit : crHSplit);
}

void TRxSplitter::Loaded() {
    TWinControl::Loaded();
    UpdateCursor();
}

void TRxSplitter::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation != opRemove) {
        return;
    }
    if (component == keyControl_) {
        keyControl_ = nullptr;
        savedKeyDown_ = nullptr;
    }
    if (component == controlFirst_ || component == controlSecond_) {
        // Cleared first: the control is half destroyed and must not be asked.
        controlFirst_ = component == controlFirst_ ? nullptr : controlFirst_;
        controlSecond_ = component == controlSecond_ ? nullptr : controlSecond_;
        EndDrag(false, 0, 0);
        UpdateCursor();
    }
}

void TRxSplitter::Paint(TCanvas& canvas) {
    TRect rect = ClientRect();
    if (borderStyle_ == sbsSingle) {
        rect = DrawFrameRing(canvas, rect, clWindowFrame, clWindowFrame, sdAllSides);
    }
    for (TBevelCut cut : {bevelOuter_, bevelInner_}) {
        if (cut == bvNone) {
            continue;
        }
        const TColor ul = cut == bvLowered  ? clBtnShadow
                          : cut == bvRaised ? clBtnHighlight
                                            : Color();
        const TColor lr = cut == bvLowered  ? clBtnHighlight
                          : cut == bvRaised ? clBtnShadow
                                            : Color();
        for (int i = 0; i < bevelWidth_; ++i) {
            rect = DrawFrameRing(canvas, rect, ul, lr, sdAllSides);
        }
    }
}

void TRxSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TWinControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && !active_ && SplitDirection() != 0) {
        StartDrag(x, y);
    }
}

void TRxSplitter::MouseMove(TShiftState shift, int x, int y) {
    TWinControl::MouseMove(shift, x, y);
    if (!active_ || !MouseCapture()) {
        return;
    }
    bool clamped = true;
    if (AskPosChanging(x, y)) {
        const TPoint limited = ClampToLimits({x, y});
        clamped = Vertical() ? limited.Y != y : limited.X != x;
        MoveLine({limited.X - down_.X + Width() / 2, limited.Y - down_.Y + Height() / 2});
    }
    if (clamped != clamped_) {
        clamped_ = clamped;
        SetCursor(clamped ? crNoDrop : Vertical() ? crVSplit : crHSplit);
    }
}

void TRxSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TWinControl::MouseUp(button, shift, x, y);
    EndDrag(true, x, y);
}

void TRxSplitter::KeyDown(std::uint16_t& key, TShiftState shift) {
    if (active_ && key == VK_ESCAPE) {
        EndDrag(false, 0, 0);
        return;
    }
    TWinControl::KeyDown(key, shift);
}

bool TRxSplitter::AskPosChanging(int x, int y) {
    bool allow = true;
    if (OnPosChanging) {
        OnPosChanging(this, x, y, allow);
    }
    return allow;
}

void TRxSplitter::StartDrag(int x, int y) {
    active_ = true;
    clamped_ = false;
    savedShowHint_ = Application->ShowHint;
    Application->ShowHint = false;
    SetMouseCapture(true);
    BorrowKeys();
    down_ = {x, y};
    const TRect client = Parent() != nullptr ? Parent()->ClientRect() : ClientRect();
    const TPoint offset = Parent() != nullptr ? Point(Left(), Top()) : Point(0, 0);
    minimum_ = {client.Left + topLeftLimit_ - offset.X, client.Top + topLeftLimit_ - offset.Y};
    maximum_ = {client.Right - client.Left - bottomRightLimit_ - offset.X,
                client.Bottom - client.Top - bottomRightLimit_ - offset.Y};
    if (TWinControl* window = LineWindow(this)) {
        line_ = new SplitterDragLine(window, LineThickness(), &line_);
    }
    lineScreen_ = {-1 << 30, -1 << 30};
    MoveLine({Width() / 2, Height() / 2});
}

TPoint TRxSplitter::ClampToLimits(TPoint p) const {
    if (p.X - down_.X < minimum_.X) {
        p.X = minimum_.X + down_.X;
    }
    if (p.X - down_.X + Width() > maximum_.X) {
        p.X = maximum_.X - Width() + down_.X;
    }
    if (p.Y - down_.Y < minimum_.Y) {
        p.Y = minimum_.Y + down_.Y;
    }
    if (p.Y - down_.Y + Height() > maximum_.Y) {
        p.Y = maximum_.Y - Height() + down_.Y;
    }
    return p;
}

// Moves the line to the point's x (horizontal drags) or y (vertical ones),
// kept within the parent's client area.
void TRxSplitter::MoveLine(TPoint splitterPoint) {
    const bool vertical = Vertical();
    TPoint screen =
        ClientToScreen(vertical ? Point(0, splitterPoint.Y) : Point(splitterPoint.X, 0));
    if (Parent() != nullptr) {
        const TPoint origin = Parent()->ClientToScreen({0, 0});
        const TRect area = OffsetRect(Parent()->ClientRect(), origin.X, origin.Y);
        screen.X = std::clamp(screen.X, area.Left, std::max(area.Left, area.Right - 1));
        screen.Y = std::clamp(screen.Y, area.Top, std::max(area.Top, area.Bottom - 1));
    }
    if (vertical ? screen.Y == lineScreen_.Y : screen.X == lineScreen_.X) {
        return;
    }
    lineScreen_ = screen;
    if (line_ == nullptr) {
        return;
    }
    const TPoint at = line_->Parent()->ScreenToClient(screen);
    const int pen = LineThickness();
    line_->ShowAt(vertical ? Bounds(at.X, at.Y - pen / 2, Width(), pen)
                           : Bounds(at.X - pen / 2, at.Y, pen, Height()));
}

void TRxSplitter::EndDrag(bool apply, int x, int y) {
    if (!active_) {
        return;
    }
    SetMouseCapture(false);
    const bool allow = !apply || AskPosChanging(x, y);
    delete line_;
    if (apply) {
        TPoint p{x, y};
        if (!allow) {
            const TPoint line = ScreenToClient(lineScreen_);
            p = {down_.X + line.X - Width() / 2, down_.Y + line.Y - Height() / 2};
        }
        ApplyResize(ClampToLimits(p));
    }
    active_ = false;
    clamped_ = false;
    Application->ShowHint = savedShowHint_;
    ReturnKeys();
    if (!Destroying()) {
        UpdateCursor();
    }
    if (apply && OnPosChanged) {
        OnPosChanged(this);
    }
}

void TRxSplitter::ApplyResize(TPoint p) {
    TPoint down = down_;
    auto alignedAs = [this](TAlign a) {
        return (controlFirst_ != nullptr && controlFirst_->Align() == a) ||
               (controlSecond_ != nullptr && controlSecond_->Align() == a);
    };
    if (alignedAs(alRight)) {
        p.X = -p.X, down.X = -down.X;
    }
    if (alignedAs(alBottom)) {
        p.Y = -p.Y, down.Y = -down.Y;
    }
    TWinControl* parent = Parent();
    if (parent == nullptr) {
        return;
    }
    const TRect client = parent->ClientRect();
    parent->DisableAlign();
    switch (SplitDirection()) {
        case 1:
            controlFirst_->SetHeight(
                FitSize(controlFirst_->Height() + p.Y - down.Y, client.Height() - Height()));
            break;
        case 2:
            controlSecond_->SetHeight(
                FitSize(controlSecond_->Height() + p.Y - down.Y, client.Height() - Height()));
            break;
        case 3:
            controlFirst_->SetWidth(
                FitSize(controlFirst_->Width() + p.X - down.X, client.Width() - Width()));
            break;
        case 4:
            controlSecond_->SetWidth(
                FitSize(controlSecond_->Width() + p.X - down.X, client.Width() - Width()));
            break;
        default:
            break;
    }
    parent->EnableAlign();
}

// During a drag the form's active control (or the form) hands its key-down
// handler to the splitter, so that Esc reaches the drag wherever the focus is.
void TRxSplitter::BorrowKeys() {
    TCustomForm* form = GetParentForm(this);
    if (form == nullptr) {
        return;
    }
    keyControl_ = form->ActiveControl() != nullptr ? form->ActiveControl() : form;
    savedKeyDown_ = keyControl_->OnKeyDown;
    keyControl_->OnKeyDown = [this](TWinControl* sender, std::uint16_t& key, TShiftState shift) {
        if (key == VK_ESCAPE) {
            EndDrag(false, 0, 0);  // gives the handler back: touch nothing after
        } else if (savedKeyDown_) {
            savedKeyDown_(sender, key, shift);
        }
    };
}

void TRxSplitter::ReturnKeys() {
    if (keyControl_ == nullptr) {
        return;
    }
    TWinControl* control = keyControl_;
    keyControl_ = nullptr;
    control->OnKeyDown = std::move(savedKeyDown_);
    savedKeyDown_ = nullptr;
}
