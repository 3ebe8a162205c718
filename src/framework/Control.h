#pragma once

#include <QRegion>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Color.h"
#include "framework/Cursor.h"
#include "framework/Font.h"
#include "framework/Geometry.h"
#include "framework/Object.h"

class QWidget;
class QPainter;
class TCanvas;
class TWinControl;
class ControlWidget;

// Components and controls.
//
// Ownership: a component frees the components it owns (its Owner's list),
// last created first. A windowed control frees its child controls before it
// goes. Either way the dying component leaves both lists and its owner's
// components are told (Notification with opRemove) while it is being
// destroyed, so that references to it can be cleared.
//
// Drawing: every windowed control keeps its window's pixels in a surface (a
// bitmap the size of the control). Invalidate marks a part of it as needing
// paint; the paint cycle (Update, or Qt's paint event) erases that part with
// Color, calls Paint, paints the windowless children over it (each with the
// canvas moved to its origin and clipped to its bounds) and then calls
// PaintOverChildren. Drawing "at once" outside the cycle goes through a
// TControlCanvas. The widget shows the surface; Grab composes the surface
// with the windowed children's for tests and pictures.

enum TOperation { opInsert, opRemove };

// Loading: while a form description's values are applied, components are
// marked as loading (setters then skip derived work); Loaded re-applies it.
class TComponent : public TObject {
  public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }
    // The owned component with that name (case-insensitive), or null.
    TComponent* FindComponent(const std::string& name) const;

    bool Loading() const { return loading_; }
    bool Destroying() const { return destroying_; }
    // Expires when this component is destroyed. An event handler may free
    // the component that runs it (or its parent, or its form), so code that
    // goes on touching the component after a handler checks this first.
    std::weak_ptr<void> Lifetime() const { return lifetime_; }

    // Asks to be told (Notification with opRemove) when `component` is
    // destroyed, whoever owns it, so that a reference to it can be cleared.
    // The request is mutual and ends when either of the two goes.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Marks this component and all it owns as loading.
    void BeginLoading();
    // Clears the mark and calls Loaded on this component, then on every
    // component it owns, in creation order.
    void EndLoading();

  protected:
    virtual void Loaded() {}
    // Another component of the same owner, or one this component asked for
    // with FreeNotification, is being inserted or destroyed.
    virtual void Notification(TComponent* component, TOperation operation);
    // Call first thing in the destructor of a class whose Notification or
    // children must not see it half destroyed.
    void MarkDestroying() { destroying_ = true; }

  private:
    void NotifyOwnerTree(TComponent* component, TOperation operation);

    std::string name_;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool loading_ = false;
    bool destroying_ = false;
    std::shared_ptr<void> lifetime_ = std::make_shared<char>();
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                      ssDouble = 64;

// Whether the caption marks ch as its accelerator: an '&' before it, the
// letters compared without regard to case; "&&" stands for a plain '&'.
bool IsAccel(char32_t ch, std::string_view caption);

// Virtual key codes passed to KeyDown.
constexpr std::uint16_t VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_ESCAPE = 27, VK_SPACE = 32,
                        VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_DELETE = 46,
                        VK_F2 = 113;

// The virtual key code of a Qt key (Qt::Key), or 0 for keys the controls do
// not use; for controls whose keys arrive at a Qt widget of their own.
std::uint16_t VirtualKeyOf(int qtKey);
// The shift state of Qt keyboard modifiers (Qt::KeyboardModifiers as int).
TShiftState ShiftStateOf(int qtModifiers);

// Reading order and alignment of a control's content.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

class TControl;
// A key-down handler; setting key to 0 keeps the key from the control.
using TKeyEvent = std::function<void(TWinControl* sender, std::uint16_t& key, TShiftState shift)>;

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
};

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

// A canvas on a control's pixels for drawing at once, outside the paint
// cycle: origin at the control's top-left corner, clipped to the control.
// On destruction the window shows what was drawn. A hidden control (or one
// without pixels yet) gets a canvas that draws nowhere.
class TControlCanvas {
  public:
    explicit TControlCanvas(TControl& control);
    ~TControlCanvas();
    TControlCanvas(const TControlCanvas&) = delete;
    TControlCanvas& operator=(const TControlCanvas&) = delete;

    TCanvas& Canvas() { return *canvas_; }

  private:
    TWinControl* window_;
    TRect area_;       // in the window's coordinates
    TBitmap scratch_;  // stands in when the control has no pixels yet
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TCanvas> canvas_;
};
