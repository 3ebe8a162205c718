#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "platform/Com.h"
#include "platform/DataTransfer.h"

class QDropEvent;
class QMimeData;
class QWidget;

// Qt's drag and drop in the terms of the controls' drag code. Qt reports a
// drag as events on a widget, with buttons, modifiers, a position and the
// actions the source allows; the controls' drop targets take a key state
// (MK_*), a point in the control's coordinates, effects (DROPEFFECT_*) and a
// data object. Outgoing drags run Qt's drag loop.

DWORD DragKeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
DWORD EffectsOf(Qt::DropActions actions);
Qt::DropActions ActionsOf(DWORD effects);
// The one action an effect names: copy before move before link, IgnoreAction
// for none.
Qt::DropAction ActionOf(DWORD effect);

// Runs an outgoing drag of `mime` (taken over) with the allowed effects,
// started with `button` (0 left, 1 right); returns the effect the drop
// reported, DROPEFFECT_NONE when the drag was cancelled or refused. Escape,
// or pressing another mouse button, cancels.
using TDragLoop = std::function<DWORD(QMimeData* mime, DWORD allowed, int button)>;
// The loop over Qt's drag with `source` as the dragging widget.
DWORD RunQtDragLoop(QWidget* source, QMimeData* mime, DWORD allowed, int button);

// Runs `action` from the event loop once no drag of this program runs any
// more (at once when none runs): a drop's menu or question cannot be
// answered with the mouse while the drag that brought it still holds the
// pointer. Nothing runs when `context` is gone by then.
void RunAfterDrag(QObject* context, std::function<void()> action);

// A drop target registered for a control: its surfaces (the widgets drags
// arrive on) accept drops and hand every drag event to the target, with the
// point mapped into the control's widget and the data read from the event.
// The target's effect becomes the event's drop action; a drag enter is always
// accepted so that the moves that follow are asked too.
class TQtDropBridge final : public QObject {
  public:
    TQtDropBridge(QWidget* control, std::vector<QWidget*> surfaces);
    ~TQtDropBridge() override;

    // Holds a reference to `target` until revoked.
    void Register(IDropTarget* target);
    void Revoke();
    // Registers a target `make` gives when `wanted` and none is, revokes the
    // one registered when not wanted.
    void Follow(bool wanted, const std::function<ComPtr<IDropTarget>()>& make);
    bool Registered() const { return target_ != nullptr; }
    // Views set their surfaces' drop acceptance anew when they change shape;
    // this puts the registration's back.
    void Reaccept();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    POINTL PointOf(QObject* surface, const QDropEvent& event) const;
    void Answer(QDropEvent& event, DWORD effect, bool enter) const;

    QWidget* control_;
    std::vector<QWidget*> surfaces_;
    IDropTarget* target_ = nullptr;
};
