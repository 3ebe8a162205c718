#include "shell/QtDropBridge.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <utility>

#include "framework/Application.h"
#include "platform/MimeTransport.h"
#include "shell/DropSource.h"

namespace {

constexpr DWORD kEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// Qt's actions and the effects they are, copy before move before link.
constexpr std::pair<Qt::DropAction, DWORD> kActionEffects[] = {{Qt::CopyAction, DROPEFFECT_COPY},
                                                               {Qt::MoveAction, DROPEFFECT_MOVE},
                                                               {Qt::LinkAction, DROPEFFECT_LINK}};

// Cancels the running drag when its drop source says so: another mouse button
// went down.
class TDragWatch final : public QObject {
  public:
    explicit TDragWatch(int button) : source_(new TDropSource_shlvtv(button)) { source_->AddRef(); }
    ~TDragWatch() override { source_->Release(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (source_->QueryContinueDrag(false, DragKeyState(mouse->buttons(), {})) ==
                DRAGDROP_S_CANCEL) {
                QDrag::cancel();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    TDropSource_shlvtv* source_;
};

// The actions waiting for the running drag loop (if any) to end.
struct TAfterDrag {
    int running = 0;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> waiting;
};

TAfterDrag& AfterDrag() {
    static TAfterDrag afterDrag;
    return afterDrag;
}

}  // namespace

void RunAfterDrag(QObject* context, std::function<void()> action) {
    if (AfterDrag().running > 0)
        AfterDrag().waiting.emplace_back(context, std::move(action));
    else
        QTimer::singleShot(0, context, std::move(action));
}

DWORD DragKeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    DWORD keys = 0;
    for (auto [button, key] : {std::pair{Qt::LeftButton, MK_LBUTTON},
                               {Qt::RightButton, MK_RBUTTON},
                               {Qt::MiddleButton, MK_MBUTTON}})
        if (buttons & button)
            keys |= key;
    for (auto [modifier, key] : {std::pair{Qt::ShiftModifier, MK_SHIFT},
                                 {Qt::ControlModifier, MK_CONTROL},
                                 {Qt::AltModifier, MK_ALT}})
        if (modifiers & modifier)
            keys |= key;
    return keys;
}

DWORD EffectsOf(Qt::DropActions actions) {
    DWORD effects = DROPEFFECT_NONE;
    for (auto [action, effect] : kActionEffects)
        if (actions & action)
            effects |= effect;
    return effects;
}

Qt::DropActions ActionsOf(DWORD effects) {
    Qt::DropActions actions;
    for (auto [action, effect] : kActionEffects)
        if (effects & effect)
            actions |= action;
    return actions;
}

Qt::DropAction ActionOf(DWORD effect) {
    for (auto [action, one] : kActionEffects)
        if (effect & one)
            return action;
    return Qt::IgnoreAction;
}

DWORD RunQtDragLoop(QWidget* source, QMimeData* mime, DWORD allowed, int button) {
    auto* drag = new QDrag(source);
    drag->setMimeData(mime);
    // Qt's drag loop watches the mouse with a filter of its own; this one is
    // put in once that loop runs, so that it sees the presses first.
    TDragWatch watch(button);
    QTimer::singleShot(0, &watch, [&watch] { qApp->installEventFilter(&watch); });
    ++AfterDrag().running;
    const Qt::DropAction done = drag->exec(ActionsOf(allowed));
    --AfterDrag().running;
    qApp->removeEventFilter(&watch);
    for (auto& [context, action] : std::exchange(AfterDrag().waiting, {}))
        if (context != nullptr)
            QTimer::singleShot(0, context, std::move(action));
    return EffectsOf(done);
}

// ------------------------------------------------------------- drops

TQtDropBridge::TQtDropBridge(QWidget* control, std::vector<QWidget*> surfaces)
    : control_(control), surfaces_(std::move(surfaces)) {
    for (QWidget* surface : surfaces_)
        surface->installEventFilter(this);
}

TQtDropBridge::~TQtDropBridge() {
    Revoke();
}

void TQtDropBridge::Register(IDropTarget* target) {
    Revoke();
    target_ = target;
    target_->AddRef();
    Reaccept();
}

void TQtDropBridge::Follow(bool wanted, const std::function<ComPtr<IDropTarget>()>& make) {
    if (wanted == Registered())
        return;
    if (wanted)
        Register(make().Get());
    else
        Revoke();
}

void TQtDropBridge::Reaccept() {
    for (QWidget* surface : surfaces_)
        surface->setAcceptDrops(Registered());
}

void TQtDropBridge::Revoke() {
    if (target_ == nullptr)
        return;
    std::exchange(target_, nullptr)->Release();
    Reaccept();
}

POINTL TQtDropBridge::PointOf(QObject* surface, const QDropEvent& event) const {
    const QPoint at = static_cast<QWidget*>(surface)->mapTo(control_, event.position().toPoint());
    return {at.x(), at.y()};
}

void TQtDropBridge::Answer(QDropEvent& event, DWORD effect, bool enter) const {
    const Qt::DropAction action = ActionOf(effect & kEffects);
    event.setDropAction(action);
    if (action != Qt::IgnoreAction || enter)
        event.accept();
    else
        event.ignore();
}

bool TQtDropBridge::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (target_ == nullptr || (type != QEvent::DragEnter && type != QEvent::DragMove &&
                               type != QEvent::DragLeave && type != QEvent::Drop))
        return QObject::eventFilter(watched, event);
    // The target may be revoked by what it runs; it stays alive for the call.
    ComPtr<IDropTarget> target = ComPtr<IDropTarget>::Share(target_);
    if (type == QEvent::DragLeave) {
        Application->HandleExceptions([&] { target->DragLeave(); });
        return true;
    }
    auto& drag = *static_cast<QDropEvent*>(event);
    const DWORD keys = DragKeyState(drag.buttons(), drag.modifiers());
    const POINTL point = PointOf(watched, drag);
    DWORD effect = EffectsOf(drag.possibleActions());
    Application->HandleExceptions([&] {
        if (type == QEvent::DragMove) {
            target->DragOver(keys, point, &effect);
            return;
        }
        ComPtr<IDataObject> data(NewDataObjectFromMimeData(*drag.mimeData()));
        if (type == QEvent::DragEnter)
            target->DragEnter(data.Get(), keys, point, &effect);
        else
            target->Drop(data.Get(), keys, point, &effect);
    });
    Answer(drag, effect, type == QEvent::DragEnter);
    return true;
}
