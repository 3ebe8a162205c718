#include "chrome/Splitter.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include "Pixels.h"
#include "framework/Application.h"
#include "framework/Form.h"

namespace {

constexpr TColor kInverted = RGB(0, 0, 0);  // white under the inverting line

// The main window's arrangement: a left-aligned pane, the one-pixel splitter
// and a client pane, all on a 400 x 200 form.
class SplitterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseClassicColorScheme();
        form = new TCustomForm(nullptr);
        form->SetBounds(0, 0, 400, 200);
        tree = AddPane(alLeft, Bounds(0, 0, 185, 200));
        splitter = new TRxSplitter(form);
        form->BeginLoading();
        splitter->SetBounds(185, 0, 1, 200);
        splitter->SetAlign(alLeft);
        splitter->SetControlFirst(tree);
        splitter->SetParent(form);
        form->EndLoading();
        list = AddPane(alClient, Bounds(186, 0, 214, 200));
        splitter->OnPosChanging = [this](TRxSplitter*, int x, int y, bool& allow) {
            asked.push_back({x, y});
            allow = x <= allowUpTo;
        };
        splitter->OnPosChanged = [this](TObject*) { ++changed; };
        form->Show();
    }
    void TearDown() override { delete form; }

    TWinControl* AddPane(TAlign align, TRect bounds) {
        auto* pane = new TWinControl(form);
        pane->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        pane->SetAlign(align);
        pane->SetColor(clWhite);
        pane->SetParent(form);
        return pane;
    }
    QWidget* Handle() { return splitter->Widget(); }
    void Press(int x, int y = 50) { QTest::mousePress(Handle(), Qt::LeftButton, {}, QPoint(x, y)); }
    void Move(int x, int y = 50) { QTest::mouseMove(Handle(), QPoint(x, y)); }
    void Release(int x, int y = 50) {
        QTest::mouseRelease(Handle(), Qt::LeftButton, {}, QPoint(x, y));
    }
    TBitmap Picture() { return TBitmap(form->Grab()); }
    // The columns of row y showing the inverted line.
    std::vector<int> LineColumns(int y = 100) {
        const TBitmap p = Picture();
        std::vector<int> columns;
        for (int x = 0; x < p.Width(); ++x) {
            if (p.Pixel(x, y) == kInverted) {
                columns.push_back(x);
            }
        }
        return columns;
    }

    // The rows of column x showing the inverted line.
    static std::vector<int> ColumnOfLine(const TBitmap& p, int x) {
        std::vector<int> rows;
        for (int y = 0; y < p.Height(); ++y) {
            if (p.Pixel(x, y) == kInverted) {
                rows.push_back(y);
            }
        }
        return rows;
    }

    TCustomForm* form = nullptr;
    TWinControl* tree = nullptr;
    TWinControl* list = nullptr;
    TRxSplitter* splitter = nullptr;
    std::vector<TPoint> asked;
    int allowUpTo = 1 << 20;
    int changed = 0;
};

TEST_F(SplitterTest, ProgramLayoutSplitsHorizontallyWithTheSplitCursor) {
    EXPECT_EQ(splitter->BoundsRect(), Bounds(185, 0, 1, 200));
    EXPECT_EQ(list->Left(), 186);
    EXPECT_EQ(splitter->SplitDirection(), 3);
    EXPECT_EQ(splitter->Cursor(), crHSplit);
}

TEST_F(SplitterTest, DragShowsAnInvertedLineAndResizesOnRelease) {
    Press(0);
    EXPECT_TRUE(splitter->Dragging());
    EXPECT_EQ(LineColumns(), (std::vector<int>{184}));  // at the splitter: 184 and 185
    Move(40);
    EXPECT_EQ(LineColumns(), (std::vector<int>{224, 225}));
    EXPECT_EQ(tree->Width(), 185);  // nothing moves before the release
    Release(40);
    EXPECT_FALSE(splitter->Dragging());
    EXPECT_EQ(tree->Width(), 225);
    EXPECT_EQ(splitter->Left(), 225);
    EXPECT_EQ(list->Left(), 226);
    EXPECT_TRUE(LineColumns().empty());
    EXPECT_EQ(changed, 1);
    ASSERT_EQ(asked.size(), 2u);  // the move and the release
    EXPECT_EQ(asked[1], Point(40, 50));
}

TEST_F(SplitterTest, PressAndReleaseInPlaceKeepsTheWidthAndReports) {
    Press(0);
    Release(0);
    EXPECT_EQ(tree->Width(), 185);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(splitter->Cursor(), crHSplit);
}

TEST_F(SplitterTest, LimitsStopTheLineAndShowTheNoDropCursor) {
    Press(0);
    Move(-300);
    EXPECT_EQ(LineColumns(), (std::vector<int>{19, 20}));  // splitter kept 20 from the edge
    EXPECT_EQ(splitter->Cursor(), crNoDrop);
    Move(-100);
    EXPECT_EQ(splitter->Cursor(), crHSplit);
    Move(300);  // the splitter's right edge stays 20 from the form's
    EXPECT_EQ(LineColumns(), (std::vector<int>{378, 379}));
    EXPECT_EQ(splitter->Cursor(), crNoDrop);
    Release(300);
    EXPECT_EQ(tree->Width(), 379);
    EXPECT_EQ(splitter->Cursor(), crHSplit);

    Press(0);
    Release(-500);
    EXPECT_EQ(tree->Width(), 20);
}

TEST_F(SplitterTest, HintsAreOffDuringADragAndRestoredAfterwards) {
    Press(0);
    EXPECT_FALSE(Application->ShowHint);
    Release(10);
    EXPECT_TRUE(Application->ShowHint);
    Application->ShowHint = false;
    Press(0);
    Release(0);
    EXPECT_FALSE(Application->ShowHint);
    Application->ShowHint = true;
}

TEST_F(SplitterTest, EscapeAtTheFocusedControlCancelsWithoutTrace) {
    std::vector<int> keys;
    list->OnKeyDown = [&](TWinControl*, std::uint16_t& key, TShiftState) { keys.push_back(key); };
    list->SetFocus();
    ASSERT_EQ(form->ActiveControl(), list);
    const TBitmap before = Picture();
    Press(0);
    Move(40);
    QTest::keyClick(list->Widget(), Qt::Key_A);  // other keys reach the control's own handler
    QTest::keyClick(list->Widget(), Qt::Key_Escape);
    EXPECT_FALSE(splitter->Dragging());
    EXPECT_TRUE(Application->ShowHint);
    Release(40);
    EXPECT_EQ(tree->Width(), 185);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(Picture().Image(), before.Image());
    QTest::keyClick(list->Widget(), Qt::Key_Escape);  // the handler is the list's own again
    EXPECT_EQ(keys, (std::vector<int>{'A', VK_ESCAPE}));
}

TEST_F(SplitterTest, RefusedMovesKeepTheLineAndTheReleaseUsesIt) {
    allowUpTo = 50;
    Press(0);
    Move(30);
    Move(60);
    EXPECT_EQ(LineColumns(), (std::vector<int>{214, 215}));
    EXPECT_EQ(splitter->Cursor(), crNoDrop);
    Release(60);
    EXPECT_EQ(tree->Width(), 215);
    EXPECT_EQ(changed, 1);
}

TEST_F(SplitterTest, PaintsAsARaisedPanel) {
    splitter->SetWidth(3);
    TBitmap p(splitter->Grab());
    const TColor face = RGB(0xD4, 0xD0, 0xC8);
    EXPECT_EQ(RowOf(p, 100, 0, 3), (std::vector<TColor>{clWhite, face, RGB(0x80, 0x80, 0x80)}));
    splitter->SetBevelOuter(bvLowered);
    p = TBitmap(splitter->Grab());
    EXPECT_EQ(RowOf(p, 100, 0, 3), (std::vector<TColor>{RGB(0x80, 0x80, 0x80), face, clWhite}));
}

TEST_F(SplitterTest, DirectionFollowsTheAlignmentTable) {
    struct Case {
        TAlign first, second, own;
        bool hasSecond;
        int direction;
        TCursor cursor;
    };
    const Case cases[] = {
        {alTop, alNone, alTop, false, 1, crVSplit},
        {alBottom, alClient, alBottom, true, 1, crVSplit},
        {alClient, alBottom, alBottom, true, 2, crVSplit},
        {alLeft, alClient, alLeft, true, 3, crHSplit},
        {alRight, alNone, alRight, false, 3, crHSplit},
        {alClient, alRight, alRight, true, 4, crHSplit},
        {alLeft, alNone, alTop, false, 0, crDefault},
        {alLeft, alLeft, alLeft, true, 0, crDefault},
        {alClient, alNone, alClient, false, 0, crDefault},
    };
    TControl first(nullptr), second(nullptr);
    for (const Case& c : cases) {
        TRxSplitter s(nullptr);
        first.SetAlign(c.first);
        second.SetAlign(c.second);
        s.SetAlign(c.own);
        s.SetControlFirst(&first);
        s.SetControlSecond(c.hasSecond ? &second : nullptr);
        EXPECT_EQ(s.SplitDirection(), c.direction) << c.first << c.second << c.own;
        EXPECT_EQ(s.Cursor(), c.cursor) << c.first << c.second << c.own;
    }
}

TEST_F(SplitterTest, InertSplitterIgnoresPresses) {
    splitter->SetControlFirst(list);  // aligned to fill: no direction
    EXPECT_EQ(splitter->Cursor(), crDefault);
    Press(0);
    EXPECT_FALSE(splitter->Dragging());
    Release(0);
    EXPECT_EQ(changed, 0);
    splitter->SetControlFirst(splitter);  // itself and forms are stored as none
    EXPECT_EQ(splitter->ControlFirst(), nullptr);
    splitter->SetControlFirst(form);
    EXPECT_EQ(splitter->ControlFirst(), nullptr);
}

TEST_F(SplitterTest, DestroyingTheControlClearsTheReference) {
    delete tree;
    EXPECT_EQ(splitter->ControlFirst(), nullptr);
    EXPECT_EQ(splitter->Cursor(), crDefault);
    Press(0);
    EXPECT_FALSE(splitter->Dragging());
}

TEST_F(SplitterTest, DestroyingAControlOfAnotherOwnerClearsTheReference) {
    auto* stranger = new TWinControl(nullptr);
    stranger->SetParent(form);
    stranger->SetBounds(0, 0, 10, 10);
    splitter->SetControlFirst(stranger);
    ASSERT_EQ(splitter->ControlFirst(), stranger);
    delete stranger;
    EXPECT_EQ(splitter->ControlFirst(), nullptr);
    Press(0);
    EXPECT_FALSE(splitter->Dragging());
}

TEST_F(SplitterTest, DestroyingTheControlDuringADragEndsIt) {
    Press(0);
    Move(40);
    delete tree;
    EXPECT_FALSE(splitter->Dragging());
    EXPECT_TRUE(LineColumns().empty());
    Release(40);
    EXPECT_EQ(changed, 0);
}

TEST_F(SplitterTest, DestroyingTheFormDuringADragFreesTheLine) {
    Press(0);
    Move(40);
    delete form;  // its children go first, the drag line among them
    form = nullptr;
}

TEST_F(SplitterTest, AligningFindsTheTouchingSiblingAndSetsTheThickness) {
    auto* top = AddPane(alTop, Bounds(0, 0, 400, 40));
    auto* s = new TRxSplitter(form);
    s->SetParent(form);
    s->SetBounds(0, 40, 400, 10);
    // Through the base class, as a container or a form reader sets it.
    static_cast<TControl*>(s)->SetAlign(alTop);
    EXPECT_EQ(s->Height(), 3);
    EXPECT_EQ(s->ControlFirst(), top);
    EXPECT_EQ(s->SplitDirection(), 1);
    EXPECT_EQ(s->Cursor(), crVSplit);

    // From one side to another: the size is kept, and a set reference stays.
    s->SetHeight(6);
    s->SetAlign(alBottom);
    EXPECT_EQ(s->Height(), 6);
    EXPECT_EQ(s->ControlFirst(), top);
    EXPECT_EQ(s->SplitDirection(), 0);
}

TEST_F(SplitterTest, SizeStaysPositiveInATinyParent) {
    tree->SetWidth(2);
    form->SetBounds(0, 0, 3, 200);
    splitter->SetLimitOffset(0);
    Press(0);
    Move(5);
    Release(5);  // 2 fills the room of 3 - 1: room - 3 would be -1
    EXPECT_EQ(tree->Width(), 1);
}

TEST_F(SplitterTest, DraggingTowardARightOrBottomControlShrinksIt) {
    tree->SetAlign(alRight);
    tree->SetWidth(100);
    splitter->SetAlign(alRight);
    splitter->SetLimitOffset(10);
    EXPECT_EQ(splitter->TopLeftLimit(), 10);
    EXPECT_EQ(splitter->BottomRightLimit(), 10);
    ASSERT_EQ(splitter->Left(), 299);
    Press(0);
    Move(-30);
    Release(-30);
    EXPECT_EQ(tree->Width(), 130);

    tree->SetAlign(alNone);
    splitter->SetAlign(alNone);
    tree->SetBounds(0, 150, 400, 50);
    splitter->SetBounds(0, 146, 400, 4);
    tree->SetAlign(alBottom);
    splitter->SetAlign(alBottom);  // from none: 3 pixels high
    EXPECT_EQ(splitter->BoundsRect(), Bounds(0, 147, 400, 3));
    splitter->SetHeight(4);
    ASSERT_EQ(splitter->SplitDirection(), 1);
    ASSERT_EQ(splitter->Cursor(), crVSplit);
    QTest::mousePress(Handle(), Qt::LeftButton, {}, QPoint(100, 0));
    QTest::mouseMove(Handle(), QPoint(100, -20));
    const TBitmap p = Picture();
    // A 2-pixel line through the splitter's middle row (148), moved up 20.
    EXPECT_EQ(ColumnOfLine(p, 100), (std::vector<int>{127, 128}));
    QTest::mouseRelease(Handle(), Qt::LeftButton, {}, QPoint(100, -20));
    EXPECT_EQ(tree->Height(), 70);
}

}  // namespace
