#include "framework/ControlWidget.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "framework/Application.h"
#include "framework/WinControl.h"

namespace {

TMouseButton ToMouseButton(Qt::MouseButton button) {
    if (button == Qt::RightButton)
        return mbRight;
    return button == Qt::MiddleButton ? mbMiddle : mbLeft;
}

TShiftState Shift(const QMouseEvent* e) {
    return ShiftStateOf(e->modifiers().toInt(), e->buttons().toInt());
}

TPoint ToPoint(const QPointF& p) {
    return {static_cast<int>(p.x()), static_cast<int>(p.y())};
}

}  // namespace

ControlWidget::ControlWidget(TWinControl* owner) : owner_(owner) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool ControlWidget::event(QEvent* e) {
    if (e->type() != QEvent::ToolTip || owner_ == nullptr)
        return QWidget::event(e);
    ShowTip(*static_cast<QHelpEvent*>(e));
    return true;
}

void ControlWidget::ShowTip(const QHelpEvent& e) {
    const TPoint p = ToPoint(e.pos());
    const TControl* control = owner_->ControlAtPos(p);
    if (control == nullptr)
        control = owner_;
    const std::string tip = Application->ShowHint ? control->ShownHint() : std::string();
    if (tip.empty()) {
        QToolTip::hideText();
        return;
    }
    const TPoint origin = control->OriginInWindow();
    QToolTip::showText(e.globalPos(), QString::fromStdString(tip), this,
                       QRect(origin.X, origin.Y, control->Width(), control->Height()));
}

void ControlWidget::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    if (owner_ != nullptr)
        owner_->DoEnter(e->reason() == Qt::TabFocusReason       ? TFocusEntry::Tab
                        : e->reason() == Qt::BacktabFocusReason ? TFocusEntry::Backtab
                                                                : TFocusEntry::Other);
}

void ControlWidget::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    if (owner_ != nullptr)
        owner_->DoExit();
}

bool ControlWidget::focusNextPrevChild(bool next) {
    if (owner_ != nullptr && hasFocus() && owner_->TabWithin(next))
        return true;
    return QWidget::focusNextPrevChild(next);
}

void ControlWidget::paintEvent(QPaintEvent*) {
    if (owner_ == nullptr)
        return;
    owner_->UpdateWindow();
    QPainter painter(this);
    painter.drawImage(0, 0, owner_->Surface().Image());
}

void ControlWidget::mousePressEvent(QMouseEvent* e) {
    if (owner_ != nullptr)
        owner_->DispatchMouseDown(ToMouseButton(e->button()), Shift(e), ToPoint(e->position()));
}

void ControlWidget::mouseMoveEvent(QMouseEvent* e) {
    if (owner_ != nullptr)
        owner_->DispatchMouseMove(Shift(e), ToPoint(e->position()));
}

void ControlWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (owner_ != nullptr)
        owner_->DispatchMouseDown(ToMouseButton(e->button()), Shift(e) | ssDouble,
                                  ToPoint(e->position()));
}

void ControlWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (owner_ != nullptr)
        owner_->DispatchMouseUp(ToMouseButton(e->button()), Shift(e), ToPoint(e->position()));
}

void ControlWidget::enterEvent(QEnterEvent*) {
    if (owner_ != nullptr)
        owner_->MouseEnter();
}

void ControlWidget::leaveEvent(QEvent*) {
    if (owner_ != nullptr)
        owner_->DispatchMouseLeave();
}

void ControlWidget::keyPressEvent(QKeyEvent* e) {
    if (owner_ != nullptr && (e->modifiers() & Qt::AltModifier) && !e->text().isEmpty() &&
        OfferDialogChar(e->text().toUcs4().front()))
        return;
    std::uint16_t key = VirtualKeyOf(e->key());
    if (owner_ == nullptr || key == 0)
        return QWidget::keyPressEvent(e);
    owner_->DispatchKeyDown(key, ShiftStateOf(e->modifiers().toInt()));
}

void ControlWidget::resizeEvent(QResizeEvent*) {
    if (owner_ != nullptr && owner_->Parent() == nullptr)
        owner_->SetBounds(owner_->Left(), owner_->Top(), width(), height());
}

bool ControlWidget::OfferDialogChar(char32_t ch) {
    TWinControl* window = owner_;
    while (window->Parent() != nullptr)
        window = window->Parent();
    return window->DialogChar(ch);
}
