#include "chrome/Toolbar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QToolTip>
#include <QWidget>

#include "Pixels.h"
#include "chrome/ProgramChrome.h"
#include "framework/Application.h"

namespace {

TColor Face() {
    return ColorToRGB(clBtnFace);
}

class ToolbarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseClassicColorScheme();
        SetUpProgramForm(form);
        images = new TImageList(&form);
        AddPlaceholderImages(*images);
        program = BuildProgramToolbar(form, images);
        toolbar = program.Toolbar;
    }

    std::vector<int> Lefts() {
        std::vector<int> lefts;
        for (const TRzToolbarControl& entry : toolbar->ToolbarControls())
            lefts.push_back(entry.Control->Left());
        return lefts;
    }
    TBitmap Picture() { return TBitmap(toolbar->Grab()); }
    QWidget* Widget() { return toolbar->Widget(); }

    TCustomForm form{nullptr};
    TImageList* images = nullptr;
    ProgramToolbar program;
    TRzToolbar* toolbar = nullptr;
};

TEST_F(ToolbarTest, ProgramToolbar_LaysOutOneRowAndFitsItsHeight) {
    EXPECT_EQ(toolbar->BoundsRect(), Rect(0, 0, 940, 33));
    EXPECT_EQ(Lefts(), (std::vector<int>{4, 9, 129, 217, 305, 313, 338, 366}));
    for (const TRzToolbarControl& entry : toolbar->ToolbarControls())
        EXPECT_EQ(entry.Control->Top(), 4) << entry.Name;
    EXPECT_EQ(program.Buttons[3]->BoundsRect(), Rect(313, 4, 338, 29));
    EXPECT_EQ(program.Buttons[4]->Width(), 28);
    EXPECT_FALSE(program.Buttons[3]->ShowCaption());
    EXPECT_EQ(toolbar->BorderSides(), TSides(sdTop));
}

TEST_F(ToolbarTest, Background_GrooveOnTopThenSquareBoxGradient) {
    TBitmap picture = Picture();
    EXPECT_EQ(picture.Pixel(400, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(picture.Pixel(400, 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(picture.Pixel(470, 17), clBlue);
    EXPECT_EQ(picture.Pixel(0, 17), clWhite);
    EXPECT_EQ(picture.Pixel(600, 2), clWhite);
}

TEST_F(ToolbarTest, ToolbarControls_ResolvedByNameThenUnnamedChildrenAppended) {
    TCustomForm other(nullptr);
    other.SetBounds(0, 0, 400, 300);
    other.BeginLoading();
    auto* bar = new TRzToolbar(&other);
    bar->SetParent(&other);
    bar->SetToolbarControlNames({"B", "Ghost", "Elsewhere", "A"});
    auto* a = new TRzSpacer(&other);
    a->SetName("A");
    a->SetParent(bar);
    auto* b = new TRzSpacer(&other);
    b->SetName("B");
    b->SetParent(bar);
    auto* c = new TRzSpacer(&other);
    c->SetParent(bar);
    auto* elsewhere = new TRzSpacer(&other);
    elsewhere->SetName("Elsewhere");
    elsewhere->SetParent(&other);
    other.EndLoading();

    std::vector<TControl*> order;
    for (const TRzToolbarControl& entry : bar->ToolbarControls())
        order.push_back(entry.Control);
    EXPECT_EQ(order, (std::vector<TControl*>{b, a, c}));
    EXPECT_EQ(b->Left(), 4);
    EXPECT_EQ(a->Left(), 12);

    delete a;
    EXPECT_EQ(bar->ToolbarControls().size(), 2u);
    EXPECT_EQ(c->Left(), 12);
}

TEST_F(ToolbarTest, HiddenControlTakesNoRoomAndShowingRelays) {
    program.Buttons[0]->SetVisible(false);
    EXPECT_EQ(program.Buttons[1]->Left(), 9);
    program.Buttons[0]->SetVisible(true);
    EXPECT_EQ(program.Buttons[1]->Left(), 129);
}

TEST_F(ToolbarTest, NarrowBar_WrapsToASecondRowAndGrows) {
    form.SetWidth(350);
    EXPECT_EQ(toolbar->Height(), 58);
    EXPECT_EQ(program.Buttons[4]->BoundsRect(), Rect(4, 29, 32, 54));
    EXPECT_EQ(program.Buttons[5]->Left(), 32);
    EXPECT_EQ(program.Buttons[3]->Top(), 4);
    form.SetWidth(940);
    EXPECT_EQ(toolbar->Height(), 33);
}

TEST_F(ToolbarTest, AutoStyle_SidesFollowTheAlignmentAfterLoading) {
    form.BeginLoading();
    toolbar->SetAlign(alBottom);
    toolbar->SetShowDivider(false);
    form.EndLoading();
    EXPECT_EQ(toolbar->BorderSides(), TSides(sdBottom));
    EXPECT_EQ(toolbar->BorderOuter(), fsNone);
}

TEST_F(ToolbarTest, Button_ImageAndCaptionRectanglesMoveWhenPressed) {
    TRzToolButton* button = program.Buttons[0];
    EXPECT_EQ(button->ImageRect(), Rect(4, 4, 20, 20));
    EXPECT_EQ(button->CaptionRect().Left, 22);
    EXPECT_EQ(button->CaptionRect().Right, 118);
    form.Show();
    QTest::mousePress(Widget(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(button->State(), bsDown);
    EXPECT_EQ(button->ImageRect(), Rect(5, 5, 21, 21));
    EXPECT_EQ(button->CaptionRect().Left, 23);
    QTest::mouseRelease(Widget(), Qt::LeftButton, {}, QPoint(20, 10));
}

TEST_F(ToolbarTest, Button_ClicksOnlyWhenReleasedInside) {
    TRzToolButton* button = program.Buttons[0];
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    form.Show();
    QTest::mousePress(Widget(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(Widget(), QPoint(20, 31));
    EXPECT_EQ(button->State(), bsUp);
    QTest::mouseMove(Widget(), QPoint(30, 12));
    EXPECT_EQ(button->State(), bsDown);
    QTest::mouseRelease(Widget(), Qt::LeftButton, {}, QPoint(30, 12));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->State(), bsUp);

    QTest::mousePress(Widget(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseRelease(Widget(), Qt::LeftButton, {}, QPoint(600, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->State(), bsUp);
}

TEST_F(ToolbarTest, Button_FramesForRestHotAndPressed) {
    form.Show();
    // At rest the gradient shows through: the top-left corner is the bar's.
    TColor ground = Picture().Pixel(9, 4);
    QTest::mouseMove(Widget(), QPoint(20, 10));
    EXPECT_TRUE(program.Buttons[0]->MouseOver());
    EXPECT_EQ(toolbar->Surface().Pixel(9, 4), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(toolbar->Surface().Pixel(128, 28), ColorToRGB(clBtnShadow));
    QTest::mousePress(Widget(), Qt::LeftButton, {}, QPoint(20, 10));
    TBitmap pressed = Picture();
    EXPECT_EQ(pressed.Pixel(9, 4), ColorToRGB(clBtnShadow));
    EXPECT_EQ(pressed.Pixel(128, 28), ColorToRGB(clBtnHighlight));
    QTest::mouseRelease(Widget(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(Widget(), QPoint(600, 10));
    EXPECT_FALSE(program.Buttons[0]->MouseOver());
    EXPECT_EQ(toolbar->Surface().Pixel(9, 4), ground);
}

TEST_F(ToolbarTest, Button_EnterAndLeaveFireOncePerCrossing) {
    TRzToolButton* button = program.Buttons[0];
    int enters = 0, leaves = 0;
    button->OnMouseEnter = [&](TObject*) { ++enters; };
    button->OnMouseLeave = [&](TObject*) { ++leaves; };
    form.Show();
    QTest::mouseMove(Widget(), QPoint(20, 10));
    QTest::mouseClick(Widget(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(leaves, 0);
    EXPECT_TRUE(button->MouseOver());

    QTest::mousePress(Widget(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(Widget(), QPoint(600, 10));
    QTest::mouseRelease(Widget(), Qt::LeftButton, {}, QPoint(600, 10));
    EXPECT_EQ(leaves, 1);
    EXPECT_FALSE(button->MouseOver());

    // Disabling does not swallow the leave, nor is a disabled button's enter dropped.
    QTest::mouseMove(Widget(), QPoint(21, 10));
    button->SetEnabled(false);
    QTest::mouseMove(Widget(), QPoint(600, 10));
    EXPECT_EQ(enters, 2);
    EXPECT_EQ(leaves, 2);
    button->MouseEnter();
    EXPECT_EQ(enters, 3);
    EXPECT_TRUE(button->MouseOver());
}

TEST_F(ToolbarTest, Button_AcceleratorClicksWhenEnabledVisibleAndShowing) {
    TRzToolButton* exit = program.Buttons[2];
    exit->SetCaption("E&xit");
    program.Buttons[1]->SetCaption("A&&B");
    int clicks = 0;
    exit->OnClick = [&](TObject*) { ++clicks; };
    program.Buttons[1]->OnClick = [&](TObject*) { ++clicks; };
    QTest::keyClick(Widget(), Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(clicks, 0);  // the window is not showing
    form.Show();
    QTest::keyClick(Widget(), Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    QTest::keyClick(Widget(), Qt::Key_X);
    QTest::keyClick(Widget(), Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    exit->SetEnabled(false);
    QTest::keyClick(Widget(), Qt::Key_X, Qt::AltModifier);
    exit->SetEnabled(true);
    exit->SetVisible(false);
    QTest::keyClick(Widget(), Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
}

// Input delivered as the system delivers it, to a window that a handler may
// have freed by then (the event is then dropped).
void SendMouse(const QPointer<QWidget>& window, QEvent::Type type, QPoint at) {
    if (window.isNull())
        return;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, window->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(window, &event);
}

TEST_F(ToolbarTest, Button_HandlerMayFreeTheToolbar) {
    const QPoint onButton(20, 10);  // RzToolButton1
    const struct {
        const char* name;
        TNotifyEvent TControl::*event;
        std::vector<QEvent::Type> mouse;  // none: Alt+X on the form instead
    } cases[] = {
        {"click", &TControl::OnClick, {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}},
        {"double click",
         &TControl::OnDblClick,
         {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
          QEvent::MouseButtonRelease}},
        {"accelerator", &TControl::OnClick, {}},
    };
    form.Show();
    for (const auto& c : cases) {
        if (toolbar == nullptr)
            toolbar = BuildProgramToolbar(form, images).Toolbar;
        TRzToolButton* button = static_cast<TRzToolButton*>(form.FindComponent("RzToolButton1"));
        button->SetCaption("E&xit");
        const int controls = form.ControlCount();
        // The handler goes on using what it captured after freeing the toolbar.
        button->*c.event = [this](TObject*) {
            delete toolbar;
            toolbar = nullptr;
        };
        QPointer<QWidget> window = Widget();
        for (QEvent::Type type : c.mouse)
            SendMouse(window, type, onButton);
        if (c.mouse.empty())
            QTest::keyClick(form.Widget(), Qt::Key_X, Qt::AltModifier);
        EXPECT_EQ(toolbar, nullptr) << c.name;
        EXPECT_TRUE(window.isNull()) << c.name;
        EXPECT_EQ(form.ControlCount(), controls - 1) << c.name;
        EXPECT_EQ(form.FindComponent("RzToolButton1"), nullptr) << c.name;
    }
}

TEST(AcceleratorTest, MarkedCharacterWithoutCaseAndDoubledAmpersandIsPlain) {
    EXPECT_TRUE(IsAccel(U'x', "E&Xit"));
    EXPECT_TRUE(IsAccel(U'в', "&Выход"));
    EXPECT_FALSE(IsAccel(U'e', "E&xit"));
    EXPECT_FALSE(IsAccel(U'b', "A&&B"));
    EXPECT_TRUE(IsAccel(U'c', "A&&B&C"));
    EXPECT_FALSE(IsAccel(U'x', "Exit&"));
}

TEST_F(ToolbarTest, Button_DrawsItsImageAndGreysItWhenDisabled) {
    TRzToolButton* button = program.Buttons[2];  // image 1 at (221, 8)
    TBitmap enabled = Picture();
    EXPECT_EQ(enabled.Pixel(223, 9), ColorToRGB(clMaroon));
    button->SetEnabled(false);
    TBitmap disabled = Picture();
    EXPECT_EQ(disabled.Pixel(223, 9), ColorToRGB(clBtnShadow));
    EXPECT_EQ(button->State(), bsDisabled);
}

TEST_F(ToolbarTest, Button_PressedCaptionTurnsHighlightText) {
    toolbar->SetUseGradients(false);
    toolbar->SetColor(clBtnFace);
    TRzToolButton* button = program.Buttons[1];
    TRect caption = OffsetRect(button->CaptionRect(), button->Left(), button->Top());
    EXPECT_EQ(CountPixels(TBitmap(Picture().Image().copy(caption.Left, caption.Top, caption.Width(),
                                                         caption.Height())),
                          clWhite),
              0);
    form.Show();
    QTest::mousePress(Widget(), Qt::LeftButton, {}, QPoint(150, 10));
    caption = OffsetRect(button->CaptionRect(), button->Left(), button->Top());
    TBitmap text(
        Picture().Image().copy(caption.Left, caption.Top, caption.Width(), caption.Height()));
    EXPECT_GT(CountPixels(text, clWhite), 10);
    EXPECT_EQ(CountPixels(text, clBlack), 0);
    QTest::mouseRelease(Widget(), Qt::LeftButton, {}, QPoint(150, 10));
}

TEST_F(ToolbarTest, GroupedButtons_LatchAndStayExclusive) {
    TRzToolButton* icon = program.Buttons[3];
    TRzToolButton* list = program.Buttons[4];
    icon->SetGroupIndex(1);
    list->SetGroupIndex(1);
    int clicks = 0;
    icon->OnClick = [&](TObject*) { ++clicks; };
    form.Show();
    QTest::mouseClick(Widget(), Qt::LeftButton, {}, QPoint(320, 10));
    EXPECT_TRUE(icon->Down());
    EXPECT_EQ(icon->State(), bsExclusive);
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(Widget(), Qt::LeftButton, {}, QPoint(320, 10));
    EXPECT_TRUE(icon->Down());
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(Widget(), Qt::LeftButton, {}, QPoint(345, 10));
    EXPECT_TRUE(list->Down());
    EXPECT_FALSE(icon->Down());
    EXPECT_EQ(icon->State(), bsUp);
    program.Buttons[0]->SetDown(true);
    EXPECT_FALSE(program.Buttons[0]->Down());
}

TEST_F(ToolbarTest, Button_ExclusiveStateFillsACheckeredPattern) {
    TRzToolButton* icon = program.Buttons[3];
    icon->SetGroupIndex(1);
    icon->SetDown(true);
    TBitmap picture = Picture();
    TColor a = picture.Pixel(316, 7), b = picture.Pixel(317, 7);
    EXPECT_NE(a, b);
    EXPECT_TRUE((a == Face() && b == clWhite) || (a == clWhite && b == Face()));
}

TEST_F(ToolbarTest, GroupedButtons_DisabledStaysDisabledWhenLatchedOrRaised) {
    TRzToolButton* icon = program.Buttons[3];
    TRzToolButton* list = program.Buttons[4];
    icon->SetGroupIndex(1);
    list->SetGroupIndex(1);
    icon->SetEnabled(false);
    TBitmap before = Picture();
    icon->SetDown(true);
    EXPECT_EQ(icon->State(), bsDisabled);
    EXPECT_EQ(Picture().Pixel(316, 7), before.Pixel(316, 7));
    list->SetDown(true);
    EXPECT_FALSE(icon->Down());
    EXPECT_EQ(icon->State(), bsDisabled);
    list->SetEnabled(false);
    icon->SetEnabled(true);
    icon->SetDown(true);
    EXPECT_EQ(list->State(), bsDisabled);
    EXPECT_EQ(icon->State(), bsExclusive);
}

TEST_F(ToolbarTest, Synchronisation_FollowsTheToolbarUntilSetDirectly) {
    TRzToolButton* button = program.Buttons[3];
    toolbar->SetButtonWidth(30);
    EXPECT_EQ(button->Width(), 30);
    EXPECT_EQ(program.Buttons[0]->Width(), 120);
    toolbar->SetShowButtonCaptions(true);
    EXPECT_TRUE(button->ShowCaption());
    button->SetCaption("Icons");
    EXPECT_EQ(button->Width(), 16 + TextWidth(button->Font(), "Icons") + 12);
    button->SetWidth(50);
    EXPECT_FALSE(button->UseToolbarButtonSize());
    toolbar->SetButtonWidth(25);
    EXPECT_EQ(button->Width(), 50);
    toolbar->SetButtonLayout(blGlyphTop);
    EXPECT_EQ(button->Layout(), blGlyphTop);
    EXPECT_EQ(program.Buttons[0]->Layout(), blGlyphLeft);
}

TEST_F(ToolbarTest, TextOptions_PresetsUntilAButtonValueIsSetDirectly) {
    TRzToolButton* button = program.Buttons[3];
    toolbar->SetTextOptions(ttoShowTextLabels);
    EXPECT_EQ(toolbar->TextOptions(), ttoShowTextLabels);
    EXPECT_EQ(toolbar->ButtonHeight(), 40);
    EXPECT_TRUE(button->ShowCaption());
    EXPECT_EQ(button->Layout(), blGlyphTop);
    toolbar->SetButtonHeight(30);
    EXPECT_EQ(toolbar->TextOptions(), ttoCustom);
    toolbar->SetTextOptions(ttoCustom);
    EXPECT_EQ(toolbar->ButtonHeight(), 30);
    EXPECT_EQ(toolbar->ButtonLayout(), blGlyphTop);
    toolbar->SetTextOptions(ttoNoTextLabels);
    EXPECT_EQ(toolbar->ButtonWidth(), 25);
    EXPECT_EQ(toolbar->ButtonHeight(), 25);
    EXPECT_FALSE(button->ShowCaption());
    EXPECT_EQ(button->Layout(), blGlyphLeft);
    toolbar->SetShowButtonCaptions(false);
    EXPECT_EQ(toolbar->TextOptions(), ttoCustom);
}

TEST_F(ToolbarTest, RightToLeftControl_PlacedFromTheRightEdge) {
    program.Buttons[3]->SetBiDiMode(bdRightToLeft);
    toolbar->PositionControls();
    EXPECT_EQ(program.Buttons[3]->BoundsRect(), Rect(940 - 25 - 313, 4, 940 - 313, 29));
    EXPECT_EQ(Lefts(), (std::vector<int>{4, 9, 129, 217, 305, 602, 338, 366}));
}

TEST_F(ToolbarTest, Spacer_GroovedShowsAnEtchedLineAndTurns) {
    TRzSpacer* spacer = program.Spacers[1];  // at x 305, 8 wide
    spacer->SetGrooved(true);
    TBitmap picture = Picture();
    EXPECT_EQ(ColumnOf(picture, 308, 4, 29), Solid(ColorToRGB(clBtnShadow), 25));
    EXPECT_EQ(ColumnOf(picture, 309, 4, 29), Solid(ColorToRGB(clBtnHighlight), 25));
    toolbar->SetOrientation(orVertical);
    EXPECT_EQ(spacer->Orientation(), orVertical);
    EXPECT_EQ(spacer->Width(), 25);
    EXPECT_EQ(spacer->Height(), 8);
}

}  // namespace

namespace {

TEST(ToolbarLayoutTest, VerticalBar_StacksDownWrapsIntoColumnsAndFitsItsWidth) {
    UseClassicColorScheme();
    TCustomForm form(nullptr);
    form.SetBounds(0, 0, 300, 100);
    auto* bar = new TRzToolbar(&form);
    bar->SetParent(&form);
    bar->SetAlign(alLeft);
    bar->SetOrientation(orVertical);
    std::vector<TRzToolButton*> buttons;
    for (int i = 0; i < 4; ++i) {
        buttons.push_back(new TRzToolButton(&form));
        buttons.back()->SetParent(bar);
    }
    EXPECT_EQ(buttons[0]->BoundsRect(), Rect(4, 4, 29, 29));
    EXPECT_EQ(buttons[2]->Top(), 54);
    EXPECT_EQ(buttons[3]->BoundsRect(), Rect(29, 4, 54, 29));
    EXPECT_EQ(bar->Width(), 25 * 2 + 2 + 2);
}

}  // namespace

namespace {

TEST_F(ToolbarTest, Background_TiledOverTheInsideFromItsCorner) {
    TBitmap tile(3, 2, clGreen);
    tile.SetPixel(0, 0, clRed);
    toolbar->SetBackground(tile);
    TBitmap picture = Picture();
    EXPECT_EQ(picture.Pixel(400, 0), ColorToRGB(clBtnShadow));
    for (auto [x, y] : {std::pair{0, 2}, {3, 2}, {0, 4}, {939, 32}})
        EXPECT_EQ(picture.Pixel(x, y), clRed) << x << "," << y;
    for (auto [x, y] : {std::pair{1, 2}, {3, 3}, {938, 32}})
        EXPECT_EQ(picture.Pixel(x, y), clGreen) << x << "," << y;
}

}  // namespace

TEST(PanelTest, RoundedBorderKeepsToItsSidesAndTransparentFillsNothing) {
    UseClassicColorScheme();
    TRzCustomPanel panel(nullptr);
    panel.SetBounds(0, 0, 20, 10);
    panel.SetBorderOuter(fsFlatRounded);
    panel.SetBorderSides(sdTop);
    panel.SetColor(clRed);
    panel.SetTransparent(true);
    TBitmap picture(20, 10, clWhite);
    TCanvas canvas(picture);
    panel.Paint(canvas);
    EXPECT_EQ(RowOf(picture, 0, 1, 19), Solid(panel.FlatFrameColor(), 18));
    EXPECT_EQ(picture.Pixel(0, 0), clWhite);
    EXPECT_EQ(ColumnOf(picture, 0, 1, 10), Solid(clWhite, 9));
    EXPECT_EQ(RowOf(picture, 9, 0, 20), Solid(clWhite, 20));
    EXPECT_EQ(picture.Pixel(10, 5), clWhite);
    panel.SetTransparent(false);
    panel.Paint(canvas);
    EXPECT_EQ(ColumnOf(picture, 0, 1, 10), Solid(clRed, 9));
    EXPECT_EQ(RowOf(picture, 9, 0, 20), Solid(clRed, 20));
}

// Tab comes into the bar at its first enabled, visible button, walks them in
// the bar's order and leaves after the last; Shift+Tab comes back in at the
// last, and the arrow keys move the mark too.
TEST_F(ToolbarTest, Keyboard_TabWalksTheEnabledVisibleButtonsThenLeaves) {
    auto* other = new TWinControl(&form);
    other->SetParent(&form);
    other->SetBounds(0, 100, 50, 50);
    other->SetTabStop(true);
    auto& b = program.Buttons;
    b[1]->SetEnabled(false);
    b[4]->SetVisible(false);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    other->SetFocus();
    auto marked = [&]() -> TControl* {
        return toolbar->Focused() ? toolbar->FocusedButton() : nullptr;
    };
    std::vector<TControl*> walk;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walk.push_back(marked());
    }
    EXPECT_EQ(walk, (std::vector<TControl*>{b[0], b[2], b[3], b[5], nullptr}));
    EXPECT_TRUE(other->Focused());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(marked(), b[5]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(marked(), b[3]);
}

// A key press does what a click does: a grouped button latches, and a
// latched one that may not go up does not click again.
TEST_F(ToolbarTest, Keyboard_SpaceAndEnterPressTheMarkedButton) {
    std::vector<int> clicks(6);
    for (int i = 0; i < 6; ++i)
        program.Buttons[i]->OnClick = [&clicks, i](TObject*) { ++clicks[i]; };
    program.Buttons[3]->SetGroupIndex(1);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    toolbar->SetFocus();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Right, Qt::Key_Return, Qt::Key_Right, Qt::Key_Right,
                        Qt::Key_Space, Qt::Key_Space})
        QTest::keyClick(Widget(), key);
    EXPECT_EQ(clicks, (std::vector<int>{1, 1, 0, 1, 0, 0}));
    EXPECT_TRUE(program.Buttons[3]->Down());
}

// The marked button shows a dotted ring two pixels inside its edges while
// the bar has the focus; without it the bar looks as it did.
TEST_F(ToolbarTest, Keyboard_FocusMarkIsADottedRingWhileTheBarHasTheFocus) {
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    toolbar->Widget()->clearFocus();  // the active window gave it the focus
    const TBitmap before = Picture();
    toolbar->SetFocus();  // marks the first button, (9, 4) to (129, 29)
    const TBitmap marked = Picture();
    const TPoint dots[] = {{11, 6}, {13, 6}, {11, 8}, {126, 25}, {125, 26}};
    const TPoint gaps[] = {{12, 6}, {11, 7}, {126, 26}, {20, 16}};
    for (TPoint p : dots)
        EXPECT_EQ(marked.Pixel(p.X, p.Y), before.Pixel(p.X, p.Y) ^ 0xFFFFFF) << p.X << "," << p.Y;
    for (TPoint p : gaps)
        EXPECT_EQ(marked.Pixel(p.X, p.Y), before.Pixel(p.X, p.Y)) << p.X << "," << p.Y;
    toolbar->Widget()->clearFocus();
    EXPECT_EQ(Picture().Image(), before.Image());
}

// The tip under the mouse: a button's Hint, or else the whole caption of a
// button too narrow to show it; none while the application shows no hints.
TEST_F(ToolbarTest, Tip_TheHintOrTheCaptionThatDoesNotFit) {
    struct Case {
        const char* caption;
        int width;
        const char* hint;
        bool showHints;
        const char* tip;
    } cases[] = {
        {"Добавить EXIF", 120, "", true, ""},
        {"Добавить EXIF", 60, "", true, "Добавить EXIF"},
        {"Вы&ход", 30, "", true, "Выход"},
        {"", 25, "List", true, "List"},
        {"Добавить EXIF", 60, "Stamp", true, "Stamp"},
        {"", 25, "List", false, ""},
    };
    TRzToolButton* button = program.Buttons[0];
    form.Show();
    for (const Case& c : cases) {
        QToolTip::hideText();
        ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
        button->SetCaption(c.caption);
        button->SetWidth(c.width);
        button->SetHint(c.hint);
        Application->ShowHint = c.showHints;
        const QPoint centre(button->Left() + button->Width() / 2, 16);
        QHelpEvent hover(QEvent::ToolTip, centre, Widget()->mapToGlobal(centre));
        QApplication::sendEvent(Widget(), &hover);
        Application->ShowHint = true;
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text().toStdString() : "", c.tip)
            << c.caption << " " << c.width;
    }
}
