#include "app/Unit1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <vector>

#include "chrome/MarqueeStatus.h"
#include "chrome/PollingStatus.h"
#include "chrome/ProgressBar.h"
#include "chrome/Separator.h"
#include "chrome/Splitter.h"
#include "chrome/StatusBar.h"
#include "chrome/ToolButton.h"
#include "chrome/Toolbar.h"
#include "framework/Application.h"
#include "framework/ImageList.h"

namespace {

class Form1Test : public ::testing::Test {
  protected:
    Form1Test() {
        UseClassicColorScheme();
        Application->Title = "KadrimarkExif";
        Application->SetPresenter([this](const MessageBoxRequest& box) { boxes.push_back(box); });
        form.Show();
    }
    ~Form1Test() override { Application->SetPresenter({}); }

    // A left click in the middle of a tool button, as the mouse gives it.
    void Click(TRzToolButton* button) {
        TRect r = button->BoundsRect();
        QTest::mouseClick(form.RzToolbar1->Widget(), Qt::LeftButton, {},
                          QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    TBitmap Picture(TWinControl* control) { return TBitmap(control->Grab()); }

    std::vector<MessageBoxRequest> boxes;
    TForm1 form;
};

}  // namespace

TEST_F(Form1Test, StartUp_WindowAndControlsInTheirPlaces) {
    EXPECT_EQ(Form1, &form);
    EXPECT_EQ(form.Caption(), "KadrimarkEXIF");
    EXPECT_EQ(form.Widget()->windowTitle().toStdString(), "KadrimarkEXIF");
    EXPECT_EQ(form.Widget()->pos(), QPoint(208, 211));
    EXPECT_EQ(form.Widget()->size(), QSize(940, 606));
    EXPECT_FALSE(form.Widget()->windowIcon().isNull());
    const std::vector<std::pair<TControl*, TRect>> places = {
        {form.RzToolbar1, Rect(0, 0, 940, 33)},
        {form.RzStatusBar1, Rect(0, 587, 940, 606)},
    };
    for (const auto& [control, place] : places)
        EXPECT_EQ(control->BoundsRect(), place) << control->Name();
    EXPECT_EQ(form.RzMarqueeStatus1->Caption(), "KadrimarkEXIF");
    EXPECT_TRUE(form.RzClockStatus1->Visible());
    EXPECT_FALSE(form.KvtXPProgressBar1->Visible());
    EXPECT_EQ(form.ImageList1->Count(), 10);
    EXPECT_EQ(form.Hex2.BytesPerRow(), 16);
    EXPECT_EQ(form.Hex2.DataSize(), 0);
}

TEST_F(Form1Test, Author_ShowsAPlainBoxAndChangesNothing) {
    Click(form.RzToolButton2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Автор: команда KadrimarkEXIF");
    EXPECT_EQ(boxes[0].Caption, "KadrimarkExif");
    EXPECT_EQ(boxes[0].Icon, MessageBoxIcon::None);
    EXPECT_TRUE(form.Widget()->isVisible());
}

TEST_F(Form1Test, Exit_ClosesTheWindow) {
    Click(form.RzToolButton3);
    EXPECT_FALSE(form.Widget()->isVisible());
}

// The toolbar's square-box gradient runs from the face colour at its edges
// to blue in its middle; the status bar's separators are blue-highlighted
// gradients between the marquee and the clock.
TEST_F(Form1Test, Pixels_ToolbarGradientAndStatusSeparators) {
    TBitmap toolbar = Picture(form.RzToolbar1);
    TColor middle = toolbar.Pixel(700, 16);
    EXPECT_GT(GetBValue(middle), GetRValue(middle) + 40);
    EXPECT_NE(toolbar.Pixel(700, 16), toolbar.Pixel(939, 32));

    TBitmap status = Picture(form.RzStatusBar1);
    auto bluish = [](TColor c) { return GetBValue(c) > GetRValue(c) + 40; };
    for (int x : {form.RzSeparator1->Left(), form.RzSeparator2->Left()}) {
        int blue = 0;
        for (int y = 1; y < 19; ++y)
            blue += bluish(status.Pixel(x, y)) || bluish(status.Pixel(x + 1, y));
        EXPECT_GT(blue, 4) << x;
    }
    EXPECT_FALSE(bluish(status.Pixel(400, 10)));
}
