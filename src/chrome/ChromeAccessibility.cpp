#include "chrome/ChromeAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "chrome/AccessibleEvents.h"
#include "chrome/ProgressBar.h"
#include "chrome/Separator.h"
#include "chrome/Spacer.h"
#include "chrome/Splitter.h"
#include "chrome/StatusBar.h"
#include "chrome/StatusPane.h"
#include "chrome/ToolButton.h"
#include "chrome/Toolbar.h"
#include "framework/Form.h"

namespace {

template <typename T>
bool Is(const TControl& control) {
    return dynamic_cast<const T*>(&control) != nullptr;
}

bool IsMainWindow(const TControl& control) {
    return Is<TCustomForm>(control) && control.Parent() == nullptr;
}

struct RoleRule {
    bool (*matches)(const TControl&);
    QAccessible::Role role;
};

constexpr RoleRule kRoles[] = {
    {Is<TRzToolButton>, QAccessible::Button},
    {Is<TRzSeparator>, QAccessible::Separator},
    {Is<TRzSpacer>, QAccessible::Separator},
    {Is<TRzCustomStatusPane>, QAccessible::StaticText},
    {Is<TRzToolbar>, QAccessible::ToolBar},
    {Is<TRzStatusBar>, QAccessible::StatusBar},
    {Is<TKvtXPProgressBar>, QAccessible::ProgressBar},
    {Is<TRxSplitter>, QAccessible::Splitter},
    {IsMainWindow, QAccessible::Window},
};

QAccessible::Role RoleOf(const TControl& control) {
    for (const RoleRule& rule : kRoles)
        if (rule.matches(control))
            return rule.role;
    return QAccessible::Client;
}

// A button's caption as it reads, or its tip when it has none; a pane's
// text as it shows.
QString NameOf(const TControl& control) {
    if (Is<TRzToolButton>(control)) {
        const std::string caption = StripAccel(control.Caption());
        return QString::fromStdString(caption.empty() ? control.Hint() : caption);
    }
    if (Is<TRzCustomStatusPane>(control))
        return QString::fromStdString(control.Caption());
    return {};
}

// A tool waits for the answer to its action: the press runs after it, as a
// click of the mouse would, so that a command ending in a modal box does
// not hold the tool.
void PressLater(TRzToolButton& button) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&button, alive = button.Lifetime()] {
            if (!alive.expired())
                button.Press();
        },
        Qt::QueuedConnection);
}

QAccessibleInterface* InterfaceOf(TControl& control);

// A control without a window of its own, read through its window's
// interface. It holds the control only while the control lives.
class WindowlessAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    explicit WindowlessAccessible(TControl& control)
        : control_(&control), alive_(control.Lifetime()) {}

    bool isValid() const override { return !alive_.expired() && control_->Parent() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        QAccessibleInterface* window = parent();
        return window != nullptr ? window->window() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return isValid() ? QAccessible::queryAccessibleInterface(control_->Parent()->Widget())
                         : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        return isValid() && t == QAccessible::Name ? NameOf(*control_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const TPoint origin = control_->ClientToScreen({0, 0});
        return {origin.X, origin.Y, control_->Width(), control_->Height()};
    }
    QAccessible::Role role() const override {
        return isValid() ? RoleOf(*control_) : QAccessible::NoRole;
    }
    QAccessible::State state() const override;

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface && Button() != nullptr)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }
    QStringList actionNames() const override {
        TRzToolButton* button = Button();
        if (button == nullptr || !button->Enabled())
            return {};
        return {pressAction()};
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && actionNames().contains(name))
            PressLater(*Button());
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    TRzToolButton* Button() const {
        return isValid() ? dynamic_cast<TRzToolButton*>(control_) : nullptr;
    }

    TControl* control_;
    std::weak_ptr<void> alive_;
};

QAccessible::State WindowlessAccessible::state() const {
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.invisible = !control_->Showing();
    state.disabled = !control_->Enabled();
    state.readOnly = Is<TRzCustomStatusPane>(*control_);
    if (const TRzToolButton* button = Button()) {
        const auto* toolbar = dynamic_cast<const TRzToolbar*>(button->Parent());
        state.focusable = !state.invisible && !state.disabled;
        state.focused = toolbar != nullptr && toolbar->ShowsFocus(button);
        state.pressed = button->State() == bsDown;
        state.checkable = button->GroupIndex() != 0;
        state.checked = state.checkable && button->Down();
    }
    return state;
}

// Rows of controls, top to bottom: a control that starts below everything
// of the row so far begins the next row; each row reads left to right. (A
// hidden control keeps the place it had when it was last laid out, which
// may be a pixel off its neighbours' row.)
std::vector<TControl*> ReadingOrder(std::vector<TControl*> controls) {
    auto byTop = [](const TControl* a, const TControl* b) { return a->Top() < b->Top(); };
    auto byLeft = [](const TControl* a, const TControl* b) { return a->Left() < b->Left(); };
    std::stable_sort(controls.begin(), controls.end(), byTop);
    auto rowStart = controls.begin();
    int rowBottom = 0;
    for (auto it = controls.begin(); it != controls.end(); ++it) {
        const int bottom = (*it)->Top() + (*it)->Height();
        if (it != rowStart && (*it)->Top() >= rowBottom) {
            std::stable_sort(rowStart, it, byLeft);
            rowStart = it;
        }
        rowBottom = it == rowStart ? bottom : std::max(rowBottom, bottom);
    }
    std::stable_sort(rowStart, controls.end(), byLeft);
    return controls;
}

// The interface of each windowless control, kept by the framework's cache
// under its id. An entry whose control is gone, or whose address a new
// control took, is replaced.
QAccessibleInterface* WindowlessInterface(TControl& control) {
    static std::unordered_map<const TControl*, QAccessible::Id> ids;
    if (auto it = ids.find(&control); it != ids.end()) {
        QAccessibleInterface* known = QAccessible::accessibleInterface(it->second);
        if (known != nullptr && known->isValid())
            return known;
        if (known != nullptr)
            QAccessible::deleteAccessibleInterface(it->second);
        ids.erase(it);
    }
    auto* created = new WindowlessAccessible(control);
    ids.emplace(&control, QAccessible::registerAccessibleInterface(created));
    return created;
}

// The window of one of our controls: the widget's own reading (name, state,
// geometry) with the control's role, the windowless controls among its
// children, and for the progress bar its value.
class WindowAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit WindowAccessible(QWidget* widget) : QAccessibleWidget(widget) {}

    bool isValid() const override { return QAccessibleWidget::isValid() && Control() != nullptr; }
    QAccessible::Role role() const override {
        return Control() != nullptr ? RoleOf(*Control()) : QAccessibleWidget::role();
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value && Progress() != nullptr)
            return QStringLiteral("%1%").arg(Percent(*Progress()));
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override {
        const std::vector<QAccessibleInterface*> children = Children();
        return index >= 0 && index < static_cast<int>(children.size()) ? children[index] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<QAccessibleInterface*> children = Children();
        auto it = std::find(children.begin(), children.end(), child);
        return it == children.end() ? -1 : static_cast<int>(it - children.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const std::vector<QAccessibleInterface*> children = Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (!(*it)->state().invisible && (*it)->rect().contains(x, y))
                return *it;
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        auto* toolbar = dynamic_cast<TRzToolbar*>(Control());
        if (toolbar != nullptr && toolbar->ShowsFocus(toolbar->FocusedButton()))
            return InterfaceOf(*toolbar->FocusedButton());
        return QAccessibleWidget::focusChild();
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface && Progress() != nullptr)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return Progress()->Position(); }
    // The bar shows progress; nobody sets it from outside.
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return Progress()->Max(); }
    QVariant minimumValue() const override { return Progress()->Min(); }
    QVariant minimumStepSize() const override { return 0; }

  private:
    TWinControl* Control() const { return TWinControl::FromWidget(widget()); }
    TKvtXPProgressBar* Progress() const { return dynamic_cast<TKvtXPProgressBar*>(Control()); }
    // As the bar fills: an empty range is full at Max, a reversed one empty.
    static long long Percent(const TKvtXPProgressBar& bar) {
        const long long range = static_cast<long long>(bar.Max()) - bar.Min();
        if (range <= 0)
            return range == 0 && bar.Position() >= bar.Max() ? 100 : 0;
        return (static_cast<long long>(bar.Position()) - bar.Min()) * 100 / range;
    }
    std::vector<QAccessibleInterface*> Children() const;
};

// Qt's own widgets inside the window (a view the control shows) first, then
// the controls, top to bottom and left to right. A hidden Qt widget is left
// out: a hidden view's items would still read as shown.
std::vector<QAccessibleInterface*> WindowAccessible::Children() const {
    std::vector<QAccessibleInterface*> children;
    for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
        QAccessibleInterface* child = QAccessibleWidget::child(i);
        auto* widget = child != nullptr ? qobject_cast<QWidget*>(child->object()) : nullptr;
        if (widget != nullptr && !widget->isHidden() && TWinControl::FromWidget(widget) == nullptr)
            children.push_back(child);
    }
    if (const TWinControl* window = Control())
        for (TControl* control : ReadingOrder(window->Controls()))
            children.push_back(InterfaceOf(*control));
    return children;
}

QAccessibleInterface* InterfaceOf(TControl& control) {
    if (control.IsWindowed())
        return QAccessible::queryAccessibleInterface(static_cast<TWinControl&>(control).Widget());
    return WindowlessInterface(control);
}

// A tool listens, and the control sits where the tool can read it.
bool Heard(const TControl& control) {
    return QAccessible::isActive() && (control.IsWindowed() || control.Parent() != nullptr);
}

void Tell(TControl& control, QAccessible::Event type) {
    QAccessibleEvent event(InterfaceOf(control), type);
    QAccessible::updateAccessibility(&event);
}

QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    return TWinControl::FromWidget(widget) != nullptr ? new WindowAccessible(widget) : nullptr;
}

void TellValue(TControl& control) {
    QAccessibleInterface* iface = InterfaceOf(control);
    if (QAccessibleValueInterface* value = iface->valueInterface()) {
        QAccessibleValueChangeEvent event(iface, value->currentValue());
        QAccessible::updateAccessibility(&event);
    }
}

void TellState(TControl& control) {
    QAccessible::State changed;
    changed.disabled = true;
    QAccessibleStateChangeEvent event(InterfaceOf(control), changed);
    QAccessible::updateAccessibility(&event);
}

// The toolkit tells of the window's own focus after the window has handled
// it, so the control's turn comes after that: tools end on the control. By
// then the focus may have moved on, and nothing is told.
void TellFocusLater(TControl& control) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&control, alive = control.Lifetime()] {
            if (!alive.expired() && Heard(control) && InterfaceOf(control)->state().focused)
                Tell(control, QAccessible::Focus);
        },
        Qt::QueuedConnection);
}

void TellChange(TControl& control, TAccessibleChange change) {
    if (!Heard(control))
        return;
    switch (change) {
        case TAccessibleChange::Name:
            Tell(control, QAccessible::NameChanged);
            break;
        case TAccessibleChange::Value:
            TellValue(control);
            break;
        case TAccessibleChange::State:
            TellState(control);
            break;
        case TAccessibleChange::Focus:
            TellFocusLater(control);
            break;
    }
}

}  // namespace

void InstallChromeAccessibility() {
    QAccessible::installFactory(Factory);
    SetAccessibleTeller(TellChange);
}
