#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

#include "framework/WinControl.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

// System commands a control may send to its form.
constexpr unsigned SC_SIZE = 0xF000;
constexpr unsigned WMSZ_BOTTOMRIGHT = 8;

// A top-level window: the container of a window's controls, with its border
// style and state. Forms start hidden; Show makes the window appear.
class TCustomForm : public TWinControl {
  public:
    explicit TCustomForm(TComponent* owner);

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style) { borderStyle_ = style; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);
    // The window can be sized by the user with its border.
    bool Sizeable() const { return borderStyle_ == bsSizeable || borderStyle_ == bsSizeToolWin; }

    // Makes the window appear, moved onto the screen when it would stick out
    // and made smaller (not below the widget's minimum size) when the screen
    // has no room for it (FitWindow).
    void Show();

    // The windowed control inside the form that has the keyboard focus, or null.
    TWinControl* ActiveControl() const;

    // A system command (SC_SIZE + WMSZ_BOTTOMRIGHT starts sizing the window
    // from its bottom-right corner with the mouse).
    virtual void SystemCommand(unsigned command);

  private:
    void KeepOnScreen();

    TFormBorderStyle borderStyle_ = bsSizeable;
    TWindowState windowState_ = wsNormal;
};

// Where a window goes on a screen whose free area is `area`. `wanted` is its
// client area's size placed at its frame's top-left corner (as a form's
// bounds are), `frame` the frame around the client area. A window larger
// than the area shrinks to it, not below `minimum`; one that sticks out moves
// in; its frame's top-left corner always stays in the area.
QRect FitWindow(const QRect& wanted, const QMargins& frame, const QSize& minimum,
                const QRect& area);

// The form that contains the control, or null.
TCustomForm* GetParentForm(TControl* control);
