#include "chrome/StatusBar.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include "Pixels.h"
#include "chrome/FrameController.h"
#include "chrome/Lightness.h"
#include "chrome/ProgramChrome.h"
#include "framework/Application.h"
#include "framework/ControlCanvas.h"
#include "framework/DateTime.h"

namespace {

class RecordingForm : public TCustomForm {
  public:
    using TCustomForm::TCustomForm;
    void SystemCommand(unsigned command) override { commands.push_back(command); }
    std::vector<unsigned> commands;
};

void Tick(TTimer& timer) {
    timer.Window().Perform(WM_TIMER, TTimer::kTimerId);
}

TColor Face() {
    return ColorToRGB(clBtnFace);
}

class StatusBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseClassicColorScheme();
        SetClock([this] { return now; });
        SetUpProgramForm(form);
        status = BuildProgramStatusBar(form);
    }
    void TearDown() override { SetClock({}); }

    TBitmap Picture() { return TBitmap(status.Bar->Grab()); }
    // Whether any pixel of the bar's columns [from, to) differs from `ground`.
    bool Inked(const TBitmap& picture, int from, int to, TColor ground) {
        for (int y = 3; y < 17; ++y)
            for (int x = from; x < to; ++x)
                if (picture.Pixel(x, y) != ground)
                    return true;
        return false;
    }

    TDateTime now{2026, 12, 8, 16, 45, 30, 0};
    RecordingForm form{nullptr};
    ProgramStatusBar status;
};

TEST_F(StatusBarTest, ProgramBar_PanesFillRowsOneToNineteenFromOneLeftToOneBeyond) {
    EXPECT_EQ(status.Bar->BoundsRect(), Rect(0, 587, 940, 606));
    EXPECT_EQ(status.Marquee->BoundsRect(), Rect(-1, 1, 120, 20));
    EXPECT_EQ(status.Separator1->BoundsRect(), Rect(120, 1, 122, 20));
    EXPECT_EQ(status.Clock->BoundsRect(), Rect(791, 1, 941, 20));
    EXPECT_EQ(status.Separator2->BoundsRect(), Rect(789, 1, 791, 20));
    status.Progress->SetVisible(true);
    EXPECT_EQ(status.Progress->BoundsRect(), Rect(122, 1, 789, 20));
    EXPECT_EQ(RowOf(Picture(), 0, 0, 940), Solid(Face(), 940));
}

TEST_F(StatusBarTest, AutoStyle_ReappliedAfterLoadingAndClearedByBorders) {
    form.BeginLoading();
    status.Bar->SetBorderOuter(fsNone);
    status.Bar->SetHeight(30);
    status.Bar->SetBorderWidth(3);
    form.EndLoading();
    EXPECT_TRUE(status.Bar->AutoStyle());
    EXPECT_EQ(status.Bar->BorderWidth(), 0);
    EXPECT_EQ(status.Bar->Height(), 19);
    status.Bar->SetBorderInner(fsLowered);
    EXPECT_FALSE(status.Bar->AutoStyle());
}

TEST_F(StatusBarTest, Pane_FlatFrameLeavesCornersInPaneColour) {
    TBitmap picture = Picture();
    TColor frame = AdjustColorLightness(clBtnShadow, 30);
    // The clock's frame: the pane at x 791..940 with BorderWidth 1.
    EXPECT_EQ(picture.Pixel(792, 2), Face());
    EXPECT_EQ(picture.Pixel(793, 2), frame);
    EXPECT_EQ(picture.Pixel(792, 3), frame);
    EXPECT_EQ(picture.Pixel(792, 18), Face());
    EXPECT_EQ(picture.Pixel(793, 18), frame);
}

TEST_F(StatusBarTest, SizeGrip_SquaresInHighlightThenShadow) {
    TBitmap picture = Picture();
    TColor light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
    for (auto [x, y] : {std::pair{937, 16}, {937, 12}, {937, 8}, {933, 16}, {933, 12}, {929, 16}})
        EXPECT_EQ(picture.Pixel(x, y), light) << x << "," << y;
    for (auto [x, y] : {std::pair{935, 14}, {935, 10}, {935, 6}, {931, 14}, {931, 10}, {927, 14}})
        EXPECT_EQ(picture.Pixel(x, y), dark) << x << "," << y;
    EXPECT_EQ(picture.Pixel(929, 12), Face());
}

TEST_F(StatusBarTest, SizeGrip_PressSizesTheFormWithTheSizingCursor) {
    form.SetWidth(400);  // within any test screen
    form.Show();
    QWidget* bar = status.Bar->Widget();
    QTest::mouseMove(bar, QPoint(395, 10));
    EXPECT_EQ(bar->cursor().shape(), Qt::SizeFDiagCursor);
    QTest::mouseMove(bar, QPoint(380, 10));
    EXPECT_EQ(bar->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(395, 10));
    EXPECT_EQ(form.commands, std::vector<unsigned>{SC_SIZE + WMSZ_BOTTOMRIGHT});
}

TEST_F(StatusBarTest, SizeGrip_AbsentWhenMaximizedOrNotSizeable) {
    form.SetBorderStyle(bsSingle);
    form.Show();
    EXPECT_EQ(Picture().Pixel(937, 16), Face());
    QTest::mouseClick(status.Bar->Widget(), Qt::LeftButton, {}, QPoint(935, 10));
    form.SetBorderStyle(bsSizeable);
    form.SetWindowState(wsMaximized);
    QTest::mouseClick(status.Bar->Widget(), Qt::LeftButton, {}, QPoint(935, 10));
    EXPECT_TRUE(form.commands.empty());
    EXPECT_FALSE(status.Bar->ShowsSizeGrip());
}

TEST_F(StatusBarTest, SimpleStatus_HidesPanesAndShowsOnlyThoseItHid) {
    status.Bar->SetSimpleCaption("Busy");
    status.Bar->SetSimpleStatus(true);
    EXPECT_FALSE(status.Marquee->Visible());
    EXPECT_TRUE(Inked(Picture(), 2, 40, Face()));
    status.Bar->SetSimpleStatus(false);
    EXPECT_TRUE(status.Marquee->Visible());
    EXPECT_TRUE(status.Clock->Visible());
    EXPECT_FALSE(status.Progress->Visible());
}

TEST_F(StatusBarTest, AutoScalePanes_WidthsFollowTheBar) {
    status.Bar->SetAutoScalePanes(true);
    form.SetWidth(1880);
    EXPECT_EQ(status.Marquee->Width(), 242);
    EXPECT_EQ(status.Clock->Width(), 300);
    status.Bar->SetAutoScalePanes(false);
    form.SetWidth(940);
    EXPECT_EQ(status.Clock->Width(), 300);
}

TEST_F(StatusBarTest, Pane_AutoSizeUsesTextOrDefaultWidth) {
    auto* pane = new TRzStatusPane(&form);
    pane->SetParent(status.Bar);
    pane->SetAutoSize(true);
    EXPECT_EQ(pane->Width(), 40);
    pane->SetCaption("Ready");
    EXPECT_EQ(pane->Width(), TextWidth(pane->Font(), "Ready") + 2 + 2 + 6);
}

TEST_F(StatusBarTest, Pane_DisabledTextIsEmbossed) {
    auto* pane = new TRzStatusPane(&form);
    pane->SetParent(&form);
    pane->SetBounds(0, 0, 100, 20);
    pane->SetCaption("MMMM");
    pane->SetEnabled(false);
    TBitmap picture(form.Grab());
    EXPECT_GT(CountPixels(picture, ColorToRGB(clBtnHighlight)), 10);
    EXPECT_GT(CountPixels(picture, ColorToRGB(clBtnShadow)), 10);
    EXPECT_EQ(CountPixels(picture, clBlack), 0);
}

TEST_F(StatusBarTest, Blinking_AlternatesTextColourOnTheSharedTimer) {
    auto* blink = TRzBlinkingControlsList::Instance();
    ASSERT_NE(blink, nullptr);
    status.Marquee->SetBlinkColor(clRed);
    status.Marquee->SetBlinking(true);
    status.Marquee->SetBlinkIntervalOff(300);
    Tick(blink->Timer());
    EXPECT_FALSE(blink->OnPhaseForTest());
    EXPECT_EQ(blink->Timer().Interval(), 300);
    EXPECT_EQ(status.Marquee->TextColor(), status.Marquee->Font().Color);
    Tick(blink->Timer());
    EXPECT_EQ(status.Marquee->TextColor(), clRed);
    EXPECT_EQ(blink->Timer().Interval(), 500);
    status.Marquee->SetBlinking(false);
    EXPECT_EQ(status.Marquee->TextColor(), status.Marquee->Font().Color);
}

// A pane whose blink repaint frees another pane, as a handler might.
class FreeingPane : public TRzStatusPane {
  public:
    using TRzStatusPane::TRzStatusPane;
    void SetBlinkPhase(bool on) override {
        TRzStatusPane::SetBlinkPhase(on);
        delete victim;
        victim = nullptr;
    }
    TRzStatusPane* victim = nullptr;
};

TEST(SharedTimersTest, BlinkTickSkipsAPaneFreedDuringTheTick) {
    auto* first = new FreeingPane(nullptr);
    first->victim = new TRzStatusPane(nullptr);
    auto* survivor = new TRzStatusPane(nullptr);
    for (TRzStatusPane* pane : {static_cast<TRzStatusPane*>(first), first->victim, survivor})
        pane->SetBlinking(true);
    first->victim->SetBlinkColor(clRed);
    survivor->SetBlinkColor(clRed);
    Tick(TRzBlinkingControlsList::Instance()->Timer());
    Tick(TRzBlinkingControlsList::Instance()->Timer());
    EXPECT_EQ(first->victim, nullptr);
    EXPECT_EQ(survivor->TextColor(), clRed);
    delete survivor;
    delete first;
    EXPECT_EQ(TRzBlinkingControlsList::Instance(), nullptr);
}

TEST(SharedTimersTest, PollingTickSkipsAPaneFreedByAnotherPanesHandler) {
    auto* first = new TRzPollingStatus(nullptr);
    TRzPollingStatus* victim = new TRzClockStatus(nullptr);
    auto* survivor = new TRzPollingStatus(nullptr);
    int survivorPolls = 0;
    first->OnTimerExpired = [&victim](TObject*) {
        delete victim;
        victim = nullptr;
    };
    survivor->OnTimerExpired = [&survivorPolls](TObject*) { ++survivorPolls; };
    Tick(TRzPollingList::Instance()->Timer());
    EXPECT_EQ(victim, nullptr);
    EXPECT_EQ(survivorPolls, 1);
    delete survivor;
    delete first;
    EXPECT_EQ(TRzPollingList::Instance(), nullptr);
}

TEST(SharedTimersTest, ListsLiveFromTheFirstClientToTheLast) {
    EXPECT_EQ(TRzBlinkingControlsList::Instance(), nullptr);
    auto* pane = new TRzStatusPane(nullptr);
    EXPECT_NE(TRzBlinkingControlsList::Instance(), nullptr);
    EXPECT_EQ(TRzPollingList::Instance(), nullptr);
    auto* clock = new TRzClockStatus(nullptr);
    ASSERT_NE(TRzPollingList::Instance(), nullptr);
    EXPECT_TRUE(TRzPollingList::Instance()->Timer().Window().HasTimer(TTimer::kTimerId));
    EXPECT_EQ(clock->Interval(), 500);
    delete clock;
    EXPECT_EQ(TRzPollingList::Instance(), nullptr);
    delete pane;
    EXPECT_EQ(TRzBlinkingControlsList::Instance(), nullptr);
}

TEST_F(StatusBarTest, Clock_FormatsTheLocaleDateAndTimeAndRedrawsOnlyOnChange) {
    TFormatSettings settings = FormatSettings();
    settings.ShortDateFormat = "dd.mm.yyyy";
    settings.LongTimeFormat = "hh:nn:ss";
    SetFormatSettings(settings);
    Picture();
    Tick(TRzPollingList::Instance()->Timer());
    EXPECT_EQ(status.Clock->Caption(), "08.12.2026 16:45:30");
    // Drawn at once: the surface shows text without a paint cycle.
    EXPECT_TRUE(Inked(status.Bar->Surface(), 796, 900, Face()));

    // The same text again draws nothing: a mark over the text stays.
    {
        TControlCanvas canvas(*status.Clock);
        canvas.Canvas().Brush.Color = clLime;
        canvas.Canvas().FillRect(Rect(4, 4, 100, 15));
    }
    Tick(TRzPollingList::Instance()->Timer());
    EXPECT_EQ(status.Bar->Surface().Pixel(800, 8), clLime);
    now.Second = 31;
    Tick(TRzPollingList::Instance()->Timer());
    EXPECT_NE(status.Bar->Surface().Pixel(800, 8), clLime);
    EXPECT_EQ(status.Clock->Caption(), "08.12.2026 16:45:31");
}

TEST_F(StatusBarTest, Clock_FormatAndReplacedTime) {
    status.Clock->SetFormat("hh:nn");
    EXPECT_EQ(status.Clock->Caption(), "16:45");
    status.Clock->OnGetDateTime = [](TControl*, TDateTime& t) { t.Hour = 9; };
    now.Hour = 23;
    Tick(TRzPollingList::Instance()->Timer());
    EXPECT_EQ(status.Clock->Caption(), "09:45");
}

TEST_F(StatusBarTest, Clock_NextToTheGripKeepsTwelvePixelsForIt) {
    EXPECT_TRUE(status.Clock->IsNextToSizeGrip());
    EXPECT_EQ(status.Clock->CaptionRect(), Rect(2, 2, 136, 17));
    EXPECT_FALSE(status.Clock->HitTest({140, 8}));
    EXPECT_TRUE(status.Clock->HitTest({130, 8}));
    form.SetBorderStyle(bsDialog);
    EXPECT_EQ(status.Clock->CaptionRect(), Rect(2, 2, 148, 17));
}

TEST_F(StatusBarTest, Marquee_ScrollsRightToLeftAndWrapsAfterTextAndWidth) {
    TRzMarqueeStatus* m = status.Marquee;
    int wrap = TextWidth(m->Font(), "KadrimarkEXIF") + 121;
    EXPECT_EQ(m->WrapLengthForTest(), wrap);
    EXPECT_EQ(m->ScrollDelay(), 100);
    Picture();
    for (int i = 0; i < 30; ++i)
        Tick(m->Timer());
    EXPECT_EQ(m->Offset(), 30);
    // The text starts at x = Width - offset inside the bitmap placed at (2, 2):
    // pane x 93, bar x 92.
    TBitmap surface = status.Bar->Surface();
    EXPECT_FALSE(Inked(surface, 2, 92, Face()));
    EXPECT_TRUE(Inked(surface, 92, 118, Face()));
    for (int i = 30; i < wrap - 1; ++i)
        Tick(m->Timer());
    EXPECT_EQ(m->Offset(), wrap - 1);
    Tick(m->Timer());
    EXPECT_EQ(m->Offset(), 0);
}

TEST_F(StatusBarTest, Marquee_ResizingRecomputesTheWrapAndKeepsTheOffset) {
    TRzMarqueeStatus* m = status.Marquee;
    Tick(m->Timer());
    m->SetWidth(200);
    EXPECT_EQ(m->WrapLengthForTest(), TextWidth(m->Font(), "KadrimarkEXIF") + 200);
    EXPECT_EQ(m->Offset(), 1);
}

TEST_F(StatusBarTest, Marquee_LeftToRightEntersFromTheLeft) {
    TRzMarqueeStatus* m = status.Marquee;
    m->SetScrollType(stLeftToRight);
    m->SetScrollSize(0);
    EXPECT_EQ(m->ScrollSize(), 1);
    Picture();
    for (int i = 0; i < 20; ++i)
        Tick(m->Timer());
    TBitmap surface = status.Bar->Surface();
    EXPECT_TRUE(Inked(surface, 2, 20, Face()));
    EXPECT_FALSE(Inked(surface, 22, 118, Face()));
}

TEST_F(StatusBarTest, Marquee_StillCaptionAndStopping) {
    TRzMarqueeStatus* m = status.Marquee;
    m->SetScrollType(stNone);
    EXPECT_FALSE(m->Timer().Window().HasTimer(TTimer::kTimerId));
    EXPECT_TRUE(Inked(Picture(), 3, 20, Face()));
    m->SetScrolling(false);
    m->SetScrollType(stRightToLeft);
    EXPECT_TRUE(m->Timer().Window().HasTimer(TTimer::kTimerId));
    Tick(m->Timer());
    m->SetScrolling(true);
    m->SetScrolling(false);
    EXPECT_EQ(m->Offset(), 0);
    EXPECT_FALSE(m->Timer().Window().HasTimer(TTimer::kTimerId));
    EXPECT_FALSE(Inked(Picture(), 2, 118, Face()));
}

TEST_F(StatusBarTest, Separator_BlueMiddleRowShadingToFaceAtTheEnds) {
    TBitmap picture = Picture();
    EXPECT_EQ(picture.Pixel(120, 10), clBlue);
    EXPECT_EQ(picture.Pixel(121, 10), clBlue);
    EXPECT_EQ(picture.Pixel(120, 1), Face());
    // The bottom row lies below the bar; the last visible one is shading.
    EXPECT_NE(picture.Pixel(121, 18), Face());
    EXPECT_NE(picture.Pixel(121, 18), clBlue);
}

TEST(SeparatorTest, DirectionAndColoursFollowTheTable) {
    UseClassicColorScheme();
    TRzSeparator separator(nullptr);
    separator.SetHighlightColor(clRed);
    EXPECT_EQ(separator.Direction(), gdVerticalCenter);
    EXPECT_EQ(separator.StopColor(), clRed);
    separator.SetHighlightLocation(hlUpperLeft);
    EXPECT_EQ(separator.Direction(), gdVerticalEnd);
    EXPECT_EQ(separator.StartColor(), clRed);
    EXPECT_EQ(separator.StopColor(), clBtnFace);
    separator.SetOrientation(orVertical);
    EXPECT_EQ(separator.Direction(), gdHorizontalEnd);
    EXPECT_EQ(separator.BoundsRect(), Rect(0, 0, 2, 200));
    separator.SetHighlightLocation(hlLowerRight);
    EXPECT_EQ(separator.StopColor(), clRed);
}

TEST(SeparatorTest, PaintingAnEmptySeparatorGivesItOnePixel) {
    UseClassicColorScheme();
    TRzSeparator separator(nullptr);
    separator.SetBounds(3, 4, 0, 0);
    TBitmap picture(4, 4, clWhite);
    TCanvas canvas(picture);
    separator.Paint(canvas);
    EXPECT_EQ(separator.BoundsRect(), Rect(3, 4, 4, 5));
    EXPECT_NE(picture.Pixel(0, 0), clWhite);
}

}  // namespace

namespace {

// The first inked column of a pane's caption row band.
int FirstInk(const TBitmap& picture, int from, int to) {
    for (int x = from; x < to; ++x)
        for (int y = 4; y < 16; ++y)
            if (picture.Pixel(x, y) == clBlack)
                return x;
    return -1;
}

TEST(StatusPaneTest, CaptionAnchorsByAlignment) {
    UseClassicColorScheme();
    TCustomForm form(nullptr);
    form.SetBounds(0, 0, 300, 20);
    auto* pane = new TRzStatusPane(&form);
    pane->SetParent(&form);
    pane->SetBounds(0, 0, 200, 20);
    pane->SetCaption("I");
    int width = TextWidth(pane->Font(), "I");
    // Left: x = caption left (2) + offset (2) + 1.
    int left = FirstInk(TBitmap(form.Grab()), 0, 200);
    EXPECT_GE(left, 5);
    EXPECT_LT(left, 5 + width);
    pane->SetAlignment(taRight);
    int right = FirstInk(TBitmap(form.Grab()), 0, 200);
    EXPECT_GE(right, 198 - 2 - 1 - width);
    EXPECT_LT(right, 198 - 2 - 1);
    pane->SetAlignment(taCenter);
    int centre = FirstInk(TBitmap(form.Grab()), 0, 200);
    EXPECT_GE(centre, 100 - width / 2 - 1);
    EXPECT_LE(centre, 100 + width / 2);
}

}  // namespace

TEST(FrameControllerTest, ImposesItsFrameOnPanesWhileActiveAndLetsGoWhenFreed) {
    auto* controller = new TRzFrameController(nullptr);
    TRzStatusPane pane(nullptr);
    controller->SetFrameStyle(fsGroove);
    controller->SetColor(clRed);
    pane.SetFrameController(controller);
    EXPECT_EQ(pane.FrameStyle(), fsGroove);
    EXPECT_EQ(pane.Color(), clRed);
    EXPECT_FALSE(pane.ParentColor());
    EXPECT_EQ(pane.FillColor(), clRed);
    controller->SetFlatColor(clBlue);
    EXPECT_EQ(pane.FlatColor(), clBlue);
    controller->SetActive(false);
    controller->SetFrameStyle(fsNone);
    EXPECT_EQ(pane.FrameStyle(), fsGroove);
    {
        TRzStatusPane gone(nullptr);
        gone.SetFrameController(controller);
    }
    controller->SetActive(true);
    EXPECT_EQ(pane.FrameStyle(), fsNone);
    delete controller;
    EXPECT_EQ(pane.FrameController(), nullptr);
}

TEST(StatusPaneTest, AutoHintShowsApplicationHintsAsTheCaption) {
    TRzStatusPane pane(nullptr);
    pane.SetAutoHint(true);
    {
        TRzStatusPane gone(nullptr);
        gone.SetAutoHint(true);
    }
    Application->SetHint("Open a folder");
    EXPECT_EQ(pane.Caption(), "Open a folder");
    pane.SetAutoHint(false);
    Application->SetHint("Stamp the photos");
    EXPECT_EQ(pane.Caption(), "Open a folder");
    Application->SetHint("");
}
