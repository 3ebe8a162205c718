#include "chrome/ChromeAccessibility.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QWidget>
#include <vector>

#include "chrome/ProgramChrome.h"

namespace {

QAccessibleInterface* Of(TWinControl* control) {
    return QAccessible::queryAccessibleInterface(control->Widget());
}

struct Reading {
    QAccessible::Role role;
    QString name;
    bool invisible;
    bool operator==(const Reading&) const = default;
};

void PrintTo(const Reading& r, std::ostream* os) {
    *os << "{role " << r.role << ", \"" << r.name.toStdString() << "\""
        << (r.invisible ? ", invisible}" : "}");
}

std::vector<Reading> ChildrenOf(QAccessibleInterface* parent) {
    std::vector<Reading> children;
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface* child = parent->child(i);
        children.push_back(
            {child->role(), child->text(QAccessible::Name), bool(child->state().invisible)});
        EXPECT_EQ(parent->indexOfChild(child), i);
        EXPECT_EQ(child->parent(), parent);
    }
    return children;
}

// The window's bars as its form description builds them, read the way a
// screen reader reads them.
class ChromeAccessibilityTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallChromeAccessibility();
        SetUpProgramForm(form);
        images = new TImageList(&form);
        AddPlaceholderImages(*images);
        toolbar = BuildProgramToolbar(form, images);
        status = BuildProgramStatusBar(form);
        form.Show();
    }
    QAccessibleInterface* ButtonInterface(int index) {
        return Of(toolbar.Toolbar)->child(index + (index < 3 ? 1 : 2));  // past the spacers
    }

    TCustomForm form{nullptr};
    TImageList* images = nullptr;
    ProgramToolbar toolbar;
    ProgramStatusBar status;
};

TEST_F(ChromeAccessibilityTest, Bars_RolesNamesAndVisibilityInReadingOrder) {
    toolbar.Buttons[2]->SetCaption("Вы&ход");
    toolbar.Buttons[3]->SetHint("Large icons");
    const QString clock = QString::fromStdString(status.Clock->Caption());
    using A = QAccessible;
    EXPECT_EQ(ChildrenOf(Of(&form)),
              (std::vector<Reading>{{A::ToolBar, "", false}, {A::StatusBar, "", false}}));
    EXPECT_EQ(ChildrenOf(Of(toolbar.Toolbar)), (std::vector<Reading>{
                                                   {A::Separator, "", false},
                                                   {A::Button, "Добавить EXIF", false},
                                                   {A::Button, "Автор", false},
                                                   {A::Button, "Выход", false},
                                                   {A::Separator, "", false},
                                                   {A::Button, "Large icons", false},
                                                   {A::Button, "", false},
                                                   {A::Button, "", false},
                                               }));
    EXPECT_EQ(ChildrenOf(Of(status.Bar)), (std::vector<Reading>{
                                              {A::StaticText, "KadrimarkEXIF", false},
                                              {A::Separator, "", false},
                                              {A::ProgressBar, "", true},
                                              {A::Separator, "", false},
                                              {A::StaticText, clock, false},
                                          }));
    const QRect button = ButtonInterface(0)->rect();
    EXPECT_EQ(button, QRect(toolbar.Toolbar->Widget()->mapToGlobal(QPoint(9, 4)), QSize(120, 25)));
    EXPECT_EQ(Of(toolbar.Toolbar)->childAt(button.center().x(), button.center().y()),
              ButtonInterface(0));
}

TEST_F(ChromeAccessibilityTest, Panes_ReadTheTextTheyShowNow) {
    status.Marquee->SetCaption("Ready");
    status.Clock->OnGetDateTime = [](TControl*, TDateTime& value) { value = {2009, 7, 6, 12}; };
    status.Clock->SetFormat("hh:nn");
    QAccessibleInterface* bar = Of(status.Bar);
    EXPECT_EQ(bar->child(0)->text(QAccessible::Name), "Ready");
    EXPECT_EQ(bar->child(4)->text(QAccessible::Name), "12:00");
    EXPECT_TRUE(bar->child(4)->state().readOnly);
}

// The tool's call returns first; the click follows from the event loop, and
// not at all when the button went meanwhile or cannot be pressed.
TEST_F(ChromeAccessibilityTest, Button_PressActionClicksAfterTheCallWhileEnabled) {
    int clicks = 0;
    toolbar.Buttons[1]->OnClick = [&](TObject*) { ++clicks; };
    QAccessibleActionInterface* press = ButtonInterface(1)->actionInterface();
    ASSERT_NE(press, nullptr);
    EXPECT_EQ(press->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    press->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 0);
    QApplication::processEvents();
    EXPECT_EQ(clicks, 1);

    toolbar.Buttons[1]->SetEnabled(false);
    EXPECT_TRUE(ButtonInterface(1)->state().disabled);
    EXPECT_TRUE(press->actionNames().isEmpty());
    press->doAction(QAccessibleActionInterface::pressAction());
    QApplication::processEvents();
    EXPECT_EQ(clicks, 1);

    QAccessibleInterface* gone = ButtonInterface(0);
    gone->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    delete toolbar.Buttons[0];
    QApplication::processEvents();
    EXPECT_FALSE(gone->isValid());
    EXPECT_EQ(Of(toolbar.Toolbar)->childCount(), 7);
}

TEST_F(ChromeAccessibilityTest, ProgressBar_ValueIsItsPositionInItsRangeAndHiddenWhileHidden) {
    QAccessibleInterface* bar = Of(status.Progress);
    ASSERT_NE(bar->valueInterface(), nullptr);
    status.Progress->SetMax(8);
    status.Progress->SetPosition(2);
    EXPECT_EQ(bar->valueInterface()->minimumValue().toInt(), 0);
    EXPECT_EQ(bar->valueInterface()->maximumValue().toInt(), 8);
    EXPECT_EQ(bar->valueInterface()->currentValue().toInt(), 2);
    EXPECT_EQ(bar->text(QAccessible::Value), "25%");
    EXPECT_TRUE(bar->state().invisible);
    status.Progress->SetVisible(true);
    EXPECT_FALSE(bar->state().invisible);
    status.Progress->SetMax(0);  // one item: full at its only position
    EXPECT_EQ(bar->text(QAccessible::Value), "100%");
}

// The focused state and the window's focus child follow the keyboard's mark.
TEST_F(ChromeAccessibilityTest, Button_FocusedWhileMarkedAndTheBarHasTheFocus) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    toolbar.Toolbar->SetFocus();
    QTest::keyClick(toolbar.Toolbar->Widget(), Qt::Key_Right);
    EXPECT_TRUE(ButtonInterface(1)->state().focused);
    EXPECT_FALSE(ButtonInterface(0)->state().focused);
    EXPECT_EQ(Of(toolbar.Toolbar)->focusChild(), ButtonInterface(1));
    toolbar.Toolbar->Widget()->clearFocus();
    EXPECT_FALSE(ButtonInterface(1)->state().focused);
}

}  // namespace
