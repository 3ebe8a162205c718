#include "framework/Control.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

#include "framework/Canvas.h"
#include "framework/ControlCanvas.h"
#include "framework/Form.h"
#include "framework/Timer.h"

namespace {

// A windowless control that fills itself with one colour and records what
// reaches it.
class Probe : public TControl {
  public:
    explicit Probe(TComponent* owner, TColor fill = clRed) : TControl(owner), fill_(fill) {}
    void Paint(TCanvas& canvas) override {
        ++paints;
        canvas.Brush.Color = fill_;
        canvas.FillRect(Rect(-5, -5, Width() + 5, Height() + 5));  // clipped to the control
    }
    void MouseDown(TMouseButton, TShiftState shift, int x, int y) override {
        doubled = doubled || (shift & ssDouble) != 0;
        Log("down", x, y);
    }
    void MouseMove(TShiftState, int x, int y) override { Log("move", x, y); }
    void MouseUp(TMouseButton, TShiftState, int x, int y) override { Log("up", x, y); }
    void MouseEnter() override { events.push_back("enter"); }
    void MouseLeave() override { events.push_back("leave"); }
    bool HitTest(TPoint p) const override { return p.X < passThroughFrom; }

    void Log(const char* what, int x, int y) {
        events.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    std::vector<std::string> events;
    int paints = 0;
    int passThroughFrom = 1 << 20;
    bool doubled = false;

  private:
    TColor fill_;
};

class Window : public TCustomForm {
  public:
    using TCustomForm::TCustomForm;
    void MouseDown(TMouseButton, TShiftState, int x, int y) override {
        events.push_back("window down " + std::to_string(x) + "," + std::to_string(y));
    }
    void KeyDown(std::uint16_t& key, TShiftState) override { keys.push_back(key); }
    std::vector<std::string> events;
    std::vector<int> keys;
};

class ControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseClassicColorScheme();
        form = new Window(nullptr);
        form->SetBounds(0, 0, 200, 100);
    }
    void TearDown() override { delete form; }

    Probe* AddProbe(TAlign align, TRect bounds, TColor fill = clRed) {
        auto* probe = new Probe(form, fill);
        probe->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        probe->SetAlign(align);
        probe->SetParent(form);
        return probe;
    }
    TColor PixelAt(int x, int y) {
        QImage image = form->Grab();
        return RGB(qRed(image.pixel(x, y)), qGreen(image.pixel(x, y)), qBlue(image.pixel(x, y)));
    }

    Window* form = nullptr;
};

TEST_F(ControlTest, Align_PlacesTopBottomLeftRightThenClient) {
    Probe* client = AddProbe(alClient, Bounds(0, 0, 10, 10));
    Probe* right = AddProbe(alRight, Bounds(0, 0, 30, 10));
    Probe* left = AddProbe(alLeft, Bounds(0, 0, 20, 10));
    Probe* bottom = AddProbe(alBottom, Bounds(0, 0, 10, 15));
    Probe* top = AddProbe(alTop, Bounds(0, 0, 10, 12));

    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 200, 12));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 85, 200, 100));
    EXPECT_EQ(left->BoundsRect(), Rect(0, 12, 20, 85));
    EXPECT_EQ(right->BoundsRect(), Rect(170, 12, 200, 85));
    EXPECT_EQ(client->BoundsRect(), Rect(20, 12, 170, 85));
}

TEST_F(ControlTest, Align_SameSideKeepsPositionOrderAndHiddenTakesNoRoom) {
    Probe* second = AddProbe(alLeft, Bounds(50, 0, 20, 10));
    Probe* first = AddProbe(alLeft, Bounds(0, 0, 30, 10));
    EXPECT_EQ(first->Left(), 0);
    EXPECT_EQ(second->Left(), 30);

    first->SetVisible(false);
    EXPECT_EQ(second->Left(), 0);
    first->SetVisible(true);
    EXPECT_EQ(second->Left(), 30);
}

TEST_F(ControlTest, Align_SuspendedUntilLastEnable) {
    Probe* left = AddProbe(alLeft, Bounds(0, 0, 20, 10));
    form->DisableAlign();
    form->DisableAlign();
    left->SetBounds(40, 0, 20, 10);
    form->EnableAlign();
    EXPECT_EQ(left->Left(), 40);
    form->EnableAlign();
    EXPECT_EQ(left->Left(), 0);
}

TEST_F(ControlTest, Align_ResizingTheParentReAligns) {
    Probe* right = AddProbe(alRight, Bounds(0, 0, 20, 10));
    form->SetBounds(0, 0, 300, 50);
    EXPECT_EQ(right->BoundsRect(), Rect(280, 0, 300, 50));
}

TEST_F(ControlTest, Loading_DefersAlignmentToLoaded) {
    form->BeginLoading();
    Probe* left = AddProbe(alLeft, Bounds(40, 5, 20, 10));
    EXPECT_TRUE(left->Loading());
    EXPECT_EQ(left->Left(), 40);
    form->EndLoading();
    EXPECT_FALSE(left->Loading());
    EXPECT_EQ(left->BoundsRect(), Rect(0, 0, 20, 100));
}

TEST_F(ControlTest, Paint_ErasesWithColorAndDrawsWindowlessChildClipped) {
    AddProbe(alNone, Bounds(10, 10, 5, 5));
    form->SetColor(clBlue);
    EXPECT_EQ(PixelAt(9, 9), clBlue);
    EXPECT_EQ(PixelAt(10, 10), clRed);
    EXPECT_EQ(PixelAt(14, 14), clRed);
    EXPECT_EQ(PixelAt(15, 15), clBlue);
}

TEST_F(ControlTest, Paint_OnlyMarkedPartsAreRepainted) {
    Probe* a = AddProbe(alNone, Bounds(0, 0, 10, 10));
    Probe* b = AddProbe(alNone, Bounds(50, 0, 10, 10));
    form->Grab();
    int aPaints = a->paints, bPaints = b->paints;
    a->Invalidate();
    form->Grab();
    EXPECT_EQ(a->paints, aPaints + 1);
    EXPECT_EQ(b->paints, bPaints);
}

TEST_F(ControlTest, Paint_HidingAWindowlessChildShowsTheParentAgain) {
    Probe* probe = AddProbe(alNone, Bounds(10, 10, 5, 5));
    EXPECT_EQ(PixelAt(12, 12), clRed);
    probe->SetVisible(false);
    EXPECT_EQ(PixelAt(12, 12), ColorToRGB(clBtnFace));
}

TEST_F(ControlTest, ControlCanvas_DrawsAtOnceAtTheControlsOrigin) {
    Probe* probe = AddProbe(alNone, Bounds(20, 30, 10, 10));
    form->Grab();
    {
        TControlCanvas canvas(*probe);
        canvas.Canvas().Brush.Color = clLime;
        canvas.Canvas().FillRect(Rect(0, 0, 100, 2));
    }
    EXPECT_EQ(form->Surface().Pixel(20, 30), clLime);
    EXPECT_EQ(form->Surface().Pixel(29, 31), clLime);
    EXPECT_EQ(form->Surface().Pixel(30, 30), ColorToRGB(clBtnFace));
    EXPECT_EQ(form->Surface().Pixel(20, 32), clRed);
}

TEST_F(ControlTest, ControlCanvas_HiddenControlDrawsNothing) {
    Probe* probe = AddProbe(alNone, Bounds(20, 30, 10, 10));
    probe->SetVisible(false);
    form->Grab();
    {
        TControlCanvas canvas(*probe);
        canvas.Canvas().Brush.Color = clLime;
        canvas.Canvas().FillRect(Rect(0, 0, 10, 10));
    }
    EXPECT_EQ(form->Surface().Pixel(25, 35), ColorToRGB(clBtnFace));
}

TEST_F(ControlTest, WindowedChild_IsComposedIntoTheGrab) {
    auto* child = new TWinControl(form);
    child->SetParent(form);
    child->SetBounds(100, 50, 10, 10);
    child->SetColor(clYellow);
    EXPECT_EQ(PixelAt(105, 55), clYellow);
    EXPECT_EQ(PixelAt(99, 55), ColorToRGB(clBtnFace));
}

TEST_F(ControlTest, ParentColor_FollowsUntilColorIsSet) {
    Probe* probe = AddProbe(alNone, Bounds(0, 0, 5, 5));
    form->SetColor(clNavy);
    EXPECT_EQ(probe->Color(), clNavy);
    probe->SetColor(clAqua);
    EXPECT_FALSE(probe->ParentColor());
    form->SetColor(clMaroon);
    EXPECT_EQ(probe->Color(), clAqua);
    probe->SetParentColor(true);
    EXPECT_EQ(probe->Color(), clMaroon);
}

TEST_F(ControlTest, Mouse_PressOnChildCapturesUntilRelease) {
    Probe* probe = AddProbe(alNone, Bounds(10, 10, 20, 20));
    form->Show();
    QWidget* w = form->Widget();
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(15, 15));
    QTest::mouseMove(w, QPoint(150, 80));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(150, 80));
    std::vector<std::string> expected = {"down 5,5", "move 140,70", "up 140,70"};
    std::vector<std::string> got;
    for (const std::string& e : probe->events)
        if (e != "enter" && e != "leave")
            got.push_back(e);
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(form->events.empty());
}

TEST_F(ControlTest, Mouse_DoubleClickRunsDblClickThenAPressWithDouble) {
    Probe* probe = AddProbe(alNone, Bounds(10, 10, 20, 20));
    probe->OnDblClick = [probe](TObject*) { probe->events.push_back("dblclick"); };
    form->Show();
    QTest::mouseDClick(form->Widget(), Qt::LeftButton, {}, QPoint(15, 15));
    std::vector<std::string> got;
    for (const std::string& e : probe->events)
        if (e == "dblclick" || e.rfind("down", 0) == 0)
            got.push_back(e);
    EXPECT_EQ(got, (std::vector<std::string>{"dblclick", "down 5,5"}));
    EXPECT_TRUE(probe->doubled);
}

TEST_F(ControlTest, Mouse_EnterAndLeaveFollowThePointer) {
    Probe* probe = AddProbe(alNone, Bounds(10, 10, 20, 20));
    form->Show();
    QWidget* w = form->Widget();
    QTest::mouseMove(w, QPoint(100, 80));
    QTest::mouseMove(w, QPoint(15, 15));
    QTest::mouseMove(w, QPoint(16, 16));
    QTest::mouseMove(w, QPoint(100, 80));
    std::vector<std::string> got;
    for (const std::string& e : probe->events)
        if (e == "enter" || e == "leave")
            got.push_back(e);
    EXPECT_EQ(got, (std::vector<std::string>{"enter", "leave"}));
}

TEST_F(ControlTest, Mouse_PointsAChildRejectsAndDisabledChildrenFallThrough) {
    Probe* probe = AddProbe(alNone, Bounds(10, 10, 20, 20));
    probe->passThroughFrom = 10;
    form->Show();
    QTest::mouseClick(form->Widget(), Qt::LeftButton, {}, QPoint(25, 15));
    probe->SetEnabled(false);
    QTest::mouseClick(form->Widget(), Qt::LeftButton, {}, QPoint(12, 15));
    EXPECT_EQ(form->events, (std::vector<std::string>{"window down 25,15", "window down 12,15"}));
}

TEST_F(ControlTest, Cursor_ShowsTheHoveredChildsCursor) {
    Probe* probe = AddProbe(alNone, Bounds(10, 10, 20, 20));
    probe->SetCursor(crHandPoint);
    form->Show();
    QTest::mouseMove(form->Widget(), QPoint(15, 15));
    EXPECT_EQ(form->Widget()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(form->Widget(), QPoint(100, 80));
    EXPECT_EQ(form->Widget()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ControlTest, Keys_ArriveAsVirtualKeyCodes) {
    form->Show();
    QTest::keyClick(form->Widget(), Qt::Key_Escape);
    QTest::keyClick(form->Widget(), Qt::Key_A);
    EXPECT_EQ(form->keys, (std::vector<int>{VK_ESCAPE, 'A'}));
}

// Records removals so that references can be cleared.
class Watcher : public TComponent {
  public:
    using TComponent::TComponent;
    TComponent* watched = nullptr;

  protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == opRemove && component == watched)
            watched = nullptr;
    }
};

TEST_F(ControlTest, Destroy_NotifiesSiblingsAndLeavesParent) {
    Probe* probe = AddProbe(alLeft, Bounds(0, 0, 20, 10));
    Probe* other = AddProbe(alLeft, Bounds(30, 0, 20, 10));
    auto* watcher = new Watcher(form);
    watcher->watched = probe;
    probe->SetName("Probe1");
    EXPECT_EQ(form->FindComponent("probe1"), probe);
    delete probe;
    EXPECT_EQ(watcher->watched, nullptr);
    EXPECT_EQ(form->ControlCount(), 1);
    EXPECT_EQ(form->FindComponent("Probe1"), nullptr);
    EXPECT_EQ(other->Left(), 0);
}

// The test screen is 1600 x 1200: a window placed past its edges opens moved
// in, one larger than the screen shrinks to it, both with room for the usual
// frame a window manager adds (4 pixels a side, 28 on top); one that fits
// stays where it was put.
TEST_F(ControlTest, Show_MovesAndShrinksAWindowThatSticksOutOntoTheScreen) {
    struct Case {
        TRect placed;
        TRect shown;
    };
    for (const Case& c : {Case{Bounds(208, 211, 940, 606), Bounds(208, 211, 940, 606)},
                          Case{Bounds(1400, 1100, 940, 606), Bounds(652, 562, 940, 606)},
                          Case{Bounds(-50, -20, 300, 200), Bounds(0, 0, 300, 200)},
                          Case{Bounds(100, 100, 2000, 1500), Bounds(0, 0, 1592, 1168)}}) {
        Window window(nullptr);
        window.SetBounds(c.placed.Left, c.placed.Top, c.placed.Width(), c.placed.Height());
        window.Show();
        EXPECT_EQ(window.BoundsRect(), c.shown) << c.placed.Left;
        if (c.shown != c.placed) {  // the frame's corner goes there
            EXPECT_EQ(window.Widget()->pos(), QPoint(c.shown.Left, c.shown.Top)) << c.placed.Left;
        }
    }
}

// On a small screen (a large scale factor) a window shrinks to the free
// area, but never below its minimum size; its top-left corner stays on it.
TEST(FitWindowTest, ShrinksToTheAreaDownToTheMinimum) {
    const QMargins frame(4, 28, 4, 4);
    const QRect area(0, 0, 640, 450);
    struct Case {
        QRect wanted;
        QSize minimum;
        QRect fitted;
    };
    for (const Case& c : {Case{{208, 211, 940, 606}, {500, 250}, {0, 0, 632, 418}},
                          Case{{208, 211, 940, 606}, {700, 500}, {0, 0, 700, 500}},
                          Case{{100, 300, 300, 200}, {0, 0}, {100, 218, 300, 200}},
                          Case{{-10, 50, 300, 200}, {0, 0}, {0, 50, 300, 200}}})
        EXPECT_EQ(FitWindow(c.wanted, frame, c.minimum, area), c.fitted) << c.wanted.left();
}

TEST(FreeNotificationTest, TellsAWatcherOfAnotherOwnerUntilEitherGoes) {
    auto* watched = new TComponent(nullptr);
    Watcher watcher(nullptr);
    watcher.watched = watched;
    watched->FreeNotification(&watcher);
    delete watched;
    EXPECT_EQ(watcher.watched, nullptr);

    TComponent kept(nullptr);
    {
        Watcher shortLived(nullptr);
        kept.FreeNotification(&shortLived);
    }  // kept forgets the watcher that went first: nothing is told later
    auto* removed = new TComponent(nullptr);
    Watcher unasked(nullptr);
    unasked.watched = removed;
    removed->FreeNotification(&unasked);
    removed->RemoveFreeNotification(&unasked);
    delete removed;
    EXPECT_EQ(unasked.watched, removed);
}

TEST(TimerTest, TicksOnlyWhileEnabled) {
    TTimer timer;
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetInterval(100);
    EXPECT_TRUE(timer.Window().HasTimer(TTimer::kTimerId));
    timer.Window().Perform(WM_TIMER, TTimer::kTimerId);
    EXPECT_EQ(ticks, 1);
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Window().HasTimer(TTimer::kTimerId));
}

}  // namespace
