#pragma once

#include <QRegion>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Control.h"

class ControlWidget;
class QWidget;

// Windowed controls.
//
// Ownership: a windowed control frees its child controls before it goes; a
// dying child leaves Controls.
//
// Drawing: every windowed control keeps its window's pixels in a surface (a
// bitmap the size of the control). Invalidate marks a part of it as needing
// paint; the paint cycle (Update, or Qt's paint event) erases that part with
// Color, calls Paint, paints the windowless children over it (each with the
// canvas moved to its origin and clipped to its bounds) and then calls
// PaintOverChildren. Drawing "at once" outside the cycle goes through a
// TControlCanvas. The widget shows the surface; Grab composes the surface
// with the windowed children's for tests and pictures.

// How the keyboard focus came to a window: Tab, Shift+Tab, or otherwise (a
// click, the window becoming active, a program's request).
enum class TFocusEntry { Other, Tab, Backtab };

// A key-down handler; setting key to 0 keeps the key from the control.
using TKeyEvent = std::function<void(TWinControl* sender, std::uint16_t& key, TShiftState shift)>;

// A control with a window of its own (a QWidget) that holds child controls,
// lays out the aligned ones, paints itself and its windowless children, and
// takes keys.
class TWinControl : public TControl {
  public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    bool IsWindowed() const override { return true; }
    void SetParent(TWinControl* parent) override;
    QWidget* Widget() const;
    // The windowed control whose window `widget` is, or null for any other
    // widget (and for a window whose control is gone).
    static TWinControl* FromWidget(const QWidget* widget);

    const std::vector<TControl*>& Controls() const { return controls_; }
    int ControlCount() const { return static_cast<int>(controls_.size()); }

    // Alignment of the children: suspended while the counter is above zero;
    // the last EnableAlign re-aligns if anything asked for it meanwhile.
    void DisableAlign();
    void EnableAlign();
    bool AlignDisabled() const { return alignLevel_ > 0; }
    void Realign();

    // The rectangle the aligned children fill (ClientRect by default).
    virtual TRect AlignRect() const { return ClientRect(); }

    // The topmost visible, enabled windowless child under the point (client
    // coordinates) that accepts it, or null.
    TControl* ControlAtPos(TPoint p) const;

    // The surface and its composition with the windowed children, after
    // painting everything marked.
    const TBitmap& Surface() const { return surface_; }
    // Controls that show a Qt widget of their own over the surface add it.
    virtual QImage Grab();
    // Paints what is marked on this window (not its windowed children).
    void UpdateWindow();

    bool Focused() const;
    void SetFocus();
    // Whether Tab and Shift+Tab stop at the window.
    bool TabStop() const;
    void SetTabStop(bool tabStop);
    virtual void KeyDown(std::uint16_t& key, TShiftState shift);
    // Runs first for every key pressed on the window, before KeyDown.
    TKeyEvent OnKeyDown;
    bool DialogChar(char32_t ch) override;

  protected:
    // Lays out the aligned children in the usual order: top, bottom, left,
    // right, then client; within one alignment by position. `control` is the
    // child that asked (null for a general re-align).
    virtual void AlignControls(TControl* control, TRect& rect);
    // A child was inserted into or removed from Controls.
    virtual void ControlListChanged(TControl*, bool /*inserted*/) {}
    // The window's size changed (after its children were aligned).
    virtual void Resize() {}
    virtual void PaintOverChildren(TCanvas&) {}
    // Whether the paint cycle first fills the marked part with Color.
    virtual bool ErasesBackground() const { return true; }
    // The cursor shown over a point of the window's own area.
    virtual TCursor CursorAt(TPoint) const { return Cursor(); }
    // The window got the keyboard focus, or lost it.
    virtual void DoEnter(TFocusEntry) {}
    virtual void DoExit() {}
    // Tab (forward) or Shift+Tab pressed on the focused window: whether the
    // window moved its own place among its windowless controls, and so keeps
    // the focus instead of passing it to the next window.
    virtual bool TabWithin(bool /*forward*/) { return false; }
    void Loaded() override;
    void ColorChanged() override;
    void VisibleChanged() override;
    void BoundsChanged(const TRect& old) override;

  private:
    friend class TControl;
    friend class ControlWidget;
    friend class TControlCanvas;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void AlignChildren(TControl* control);
    void PaintRegion(const QRegion& region);
    void MarkDirty(const TRect& rect);
    // Mouse and key input from the widget, already routed to windowless
    // children where they belong.
    void DispatchMouseDown(TMouseButton button, TShiftState shift, TPoint p);
    void DispatchMouseMove(TShiftState shift, TPoint p);
    void DispatchMouseUp(TMouseButton button, TShiftState shift, TPoint p);
    void DispatchMouseLeave();
    void DispatchKeyDown(std::uint16_t key, TShiftState shift);
    void TrackHover(TPoint p);
    void ShowCursorAt(TPoint p);
    void ForgetChild(TControl* control);

    std::unique_ptr<ControlWidget> widget_;
    std::vector<TControl*> controls_;
    TBitmap surface_;
    QRegion dirty_;
    int alignLevel_ = 0;
    bool alignPending_ = false;
    bool aligning_ = false;
    TControl* captureControl_ = nullptr;  // a windowless child holding the mouse
    TControl* hoverControl_ = nullptr;    // the windowless child under the mouse
    bool selfCaptured_ = false;
};
