#include "shell/ListViewHost.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QTreeView>
#include <QWheelEvent>

#include "framework/Application.h"
#include "shell/RzListView.h"

void TListViewHost::Watch(QAbstractItemView* view) {
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    connect(view, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { owner_->ItemOpen(index.row()); });
}

bool TListViewHost::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            owner_->FocusChanged();
            break;
        case QEvent::Enter:
            owner_->frame_.SetMouseOver(true);
            break;
        case QEvent::Leave:
            owner_->frame_.SetMouseOver(false);
            break;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            return owner_->KeyDown(key->key(), key->modifiers());
        }
        case QEvent::ContextMenu: {
            auto* request = static_cast<QContextMenuEvent*>(event);
            if (request->reason() == QContextMenuEvent::Keyboard) {
                owner_->RequestContextMenu(nullptr);
            } else {
                const QPoint at =
                    static_cast<QWidget*>(watched)->mapTo(owner_->Widget(), request->pos());
                if (!gesture_.DeferMenu(at))
                    owner_->RequestContextMenu(&at);
            }
            return true;
        }
        case QEvent::MouseButtonPress:
            Pressed(watched, *static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseMove:
            return Moved(watched, *static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonRelease:
            if (auto menuAt = gesture_.Release(static_cast<QMouseEvent*>(event)->button()))
                owner_->RequestContextMenu(&*menuAt);
            break;
        case QEvent::Wheel: {
            const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
            if (delta == 0)
                return false;
            owner_->WheelNotches(delta / 120 != 0 ? delta / 120 : (delta > 0 ? 1 : -1));
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

QAbstractItemView* TListViewHost::ViewOfViewport(QObject* watched) const {
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(owner_->iconView_),
                                    static_cast<QAbstractItemView*>(owner_->reportView_)})
        if (watched == view->viewport())
            return view;
    return nullptr;
}

void TListViewHost::Pressed(QObject* watched, const QMouseEvent& press) {
    QAbstractItemView* view = ViewOfViewport(watched);
    const QPoint at = press.position().toPoint();
    if (view != nullptr && view->indexAt(at).isValid())
        gesture_.Press(press.button(), at);
    else
        gesture_.Cancel();
}

bool TListViewHost::Moved(QObject* watched, const QMouseEvent& move) {
    QAbstractItemView* view = ViewOfViewport(watched);
    if (view == nullptr || !gesture_.Watching())
        return false;
    const QModelIndex pressed = view->indexAt(gesture_.PressPoint());
    if (!pressed.isValid() || !owner_->selection_->isSelected(pressed)) {
        gesture_.Cancel();
        return false;
    }
    if (gesture_.Move(move.buttons(), move.position().toPoint()))
        Application->HandleExceptions([this] { owner_->BeginItemDrag(gesture_.DragButton()); });
    return true;
}
