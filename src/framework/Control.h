#pragma once

#include <string>

#include "framework/Color.h"
#include "framework/Component.h"
#include "framework/Cursor.h"
#include "framework/Font.h"
#include "framework/Geometry.h"
#include "framework/Keys.h"

class TCanvas;
class TWinControl;

// Controls: the visible components. A control sits in a windowed parent
// (TWinControl, which holds its pixels and routes the mouse to it) and is
// painted in the parent's paint cycle; drawing at once outside that cycle goes
// through a TControlCanvas.

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Reading order and alignment of a control's content.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// The base of every control: bounds in the parent's client coordinates,
// alignment, visibility, enabled state, colour, font, cursor and caption.
// A plain TControl is windowless: it has no window of its own and is
// painted by its parent and reached by the mouse through it.
class TControl : public TComponent {
  public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    virtual bool IsWindowed() const { return false; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
    void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
    // Moves and sizes the control; the parent re-aligns its controls
    // afterwards unless alignment is suspended.
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    virtual TRect ClientRect() const { return Rect(0, 0, width_, height_); }

    TAlign Align() const { return align_; }
    // Stores a different alignment, has the parent re-align and calls
    // AlignChanged.
    void SetAlign(TAlign align);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Visible, and so is every parent up to a parentless window.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Containers that place their controls themselves read it at their next
    // layout.
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode mode) { biDiMode_ = mode; }
    // Whether the control is aligned from the right.
    bool UseRightToLeftAlignment() const { return biDiMode_ == bdRightToLeft; }

    TColor Color() const { return color_; }
    // Setting a colour turns ParentColor off.
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    const std::string& Caption() const { return caption_; }
    // Stores a different caption and calls TextChanged.
    void SetCaption(const std::string& caption);

    // The tip shown while the mouse rests on the control (none when empty, or
    // while the application shows no hints).
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    // The tip to show now: the Hint, unless the control has a better one.
    virtual std::string ShownHint() const { return hint_; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

    // The window whose surface holds this control's pixels: itself when
    // windowed, else the parent (null without one).
    TWinControl* Window();
    // The control's client origin in its window's coordinates.
    TPoint OriginInWindow() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    // Marks the whole control (or a part, in client coordinates) for paint.
    void Invalidate();
    void InvalidateRect(const TRect& rect);
    // Paints what is marked at once.
    void Update();
    void Repaint();

    // Draws the control's content; the canvas's origin is the control's
    // top-left corner and drawing is clipped to it.
    virtual void Paint(TCanvas& canvas);

    // Mouse input in client coordinates. While a button is held, the control
    // that got the press receives every move and the release (capture).
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    // Whether the point (client coordinates) belongs to this control for the
    // mouse; a point that does not falls through to the parent.
    virtual bool HitTest(TPoint) const { return true; }
    bool MouseCapture() const;
    void SetMouseCapture(bool capture);

    // Runs OnClick; the handler may free this control.
    virtual void Click();
    // Runs OnDblClick; the handler may free this control. A double click with
    // the left button calls DblClick, then (if the control is still there)
    // MouseDown with ssDouble in the shift state.
    virtual void DblClick();

    // A character typed with Alt, offered to every control of the window
    // (a windowed control passes it on to its children) until one takes it
    // as its accelerator; returns whether one did.
    virtual bool DialogChar(char32_t) { return false; }

  protected:
    // A property setter's usual step: an unchanged value is ignored, a changed
    // one is stored and the control repaints later. Returns whether it changed.
    template <typename T>
    bool StoreAndInvalidate(T& field, T value) {
        if (field == value)
            return false;
        field = value;
        Invalidate();
        return true;
    }

    // Hooks called after the matching value changed.
    virtual void TextChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void EnabledChanged() { Invalidate(); }
    virtual void VisibleChanged() {}
    virtual void ParentChanged() {}
    // The alignment changed from `old`; the parent has re-aligned.
    virtual void AlignChanged(TAlign /*old*/) {}
    // The bounds changed from `old` (parent coordinates).
    virtual void BoundsChanged(const TRect& old);
    // The parent's colour changed: a control with ParentColor takes it.
    virtual void ParentColorChanged();
    // Stores the colour without touching ParentColor.
    void AssignColor(TColor color);
    // Stores the caption without calling TextChanged.
    void AssignCaption(const std::string& caption) { caption_ = caption; }

  private:
    friend class TWinControl;
    void RequestAlign();

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    bool visible_ = true;
    bool enabled_ = true;
    TBiDiMode biDiMode_ = bdLeftToRight;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    TFont font_;
    TCursor cursor_ = crDefault;
    std::string caption_;
    std::string hint_;
};
