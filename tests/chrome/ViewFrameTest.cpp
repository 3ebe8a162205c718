#include "chrome/ViewFrame.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "Pixels.h"
#include "framework/Canvas.h"

namespace {

constexpr TColor kShadow = RGB(0x80, 0x80, 0x80);
constexpr TColor kHighlight = RGB(0xFF, 0xFF, 0xFF);
constexpr TColor kDkShadow = RGB(0x40, 0x40, 0x40);
constexpr TColor kGround = RGB(0x11, 0x22, 0x33);  // what was there before
constexpr TColor kBackground = RGB(0x20, 0x40, 0x60);

struct Calls {
    int frame = 0;
    int colors = 0;
};

TViewFrame Counting(Calls& calls) {
    return TViewFrame([&calls] { ++calls.frame; }, [&calls] { ++calls.colors; });
}

// Each setter: given false it writes the start value, given true another one.
struct Setter {
    const char* name;
    std::function<void(TViewFrame&, bool other)> set;
    bool isColor;  // calls ColorsChanged rather than FrameChanged
};

TEST(ViewFrame, Setters_IgnoreTheStartValue_AndCallBackOnceForAChange) {
    const Setter setters[] = {
        {"FrameVisible", [](TViewFrame& f, bool o) { f.SetFrameVisible(o); }, false},
        {"FrameStyle", [](TViewFrame& f, bool o) { f.SetFrameStyle(o ? fsGroove : fsFlat); },
         false},
        {"FrameHotStyle",
         [](TViewFrame& f, bool o) { f.SetFrameHotStyle(o ? fsFlat : fsFlatBold); }, false},
        {"FrameColor", [](TViewFrame& f, bool o) { f.SetFrameColor(o ? clRed : clBtnShadow); },
         false},
        {"FrameHotColor",
         [](TViewFrame& f, bool o) { f.SetFrameHotColor(o ? clRed : clBtnShadow); }, false},
        {"FrameHotTrack", [](TViewFrame& f, bool o) { f.SetFrameHotTrack(o); }, false},
        {"FrameSides", [](TViewFrame& f, bool o) { f.SetFrameSides(o ? sdTop : sdAllSides); },
         false},
        {"FramingPreference",
         [](TViewFrame& f, bool o) { f.SetFramingPreference(o ? fpCustomFraming : fpXPThemes); },
         false},
        {"MouseOver", [](TViewFrame& f, bool o) { f.SetMouseOver(o); }, false},
        {"FocusColor", [](TViewFrame& f, bool o) { f.SetFocusColor(o ? clYellow : clWindow); },
         true},
        {"DisabledColor", [](TViewFrame& f, bool o) { f.SetDisabledColor(o ? clGray : clBtnFace); },
         true},
    };
    for (const Setter& setter : setters) {
        Calls calls;
        TViewFrame frame = Counting(calls);
        setter.set(frame, false);
        setter.set(frame, true);
        setter.set(frame, true);
        EXPECT_EQ(calls.frame, setter.isColor ? 0 : 1) << setter.name;
        EXPECT_EQ(calls.colors, setter.isColor ? 1 : 0) << setter.name;
    }
}

TEST(ViewFrame, Hot_NeedsHotTrackAndFocusOrTheMouse) {
    const struct {
        bool hotTrack, focused, mouseOver, hot;
    } cases[] = {
        {false, true, true, false},
        {true, false, false, false},
        {true, true, false, true},
        {true, false, true, true},
    };
    for (const auto& c : cases) {
        TViewFrame frame({}, {});
        frame.SetFrameHotTrack(c.hotTrack);
        frame.SetMouseOver(c.mouseOver);
        EXPECT_EQ(frame.Hot(c.focused), c.hot) << c.hotTrack << c.focused << c.mouseOver;
    }
}

TEST(ViewFrame, StateColor_DisabledOverFocusedOverNormal) {
    TViewFrame frame({}, {});
    frame.SetFocusColor(clYellow);
    frame.SetDisabledColor(clGray);
    EXPECT_EQ(frame.StateColor(clAqua, true, false), clAqua);
    EXPECT_EQ(frame.StateColor(clAqua, true, true), clYellow);
    EXPECT_EQ(frame.StateColor(clAqua, false, true), clGray);
}

// The ring of a 20 x 20 control read at the left edge (x = 0, 1), inside it
// (x = 5) and at the top edge (y = 0).
TEST(ViewFrame, Paint_FillsTheRingWithTheBackground_ThenEdgeOrFrame) {
    UseClassicColorScheme();
    const struct {
        const char* what;
        bool visible, hotTrack;
        TFrameStyle style;
        TSides sides;
        TColor outer, second, inside, top;
    } cases[] = {
        {"sunken edge", false, false, fsFlat, sdAllSides, kShadow, kDkShadow, kBackground, kShadow},
        {"flat", true, false, fsFlat, sdAllSides, clRed, kBackground, kBackground, clRed},
        {"hot: bold in the hot colour", true, true, fsFlat, sdAllSides, clBlue, clBlue, kBackground,
         clBlue},
        {"top side only", true, false, fsFlat, sdTop, kBackground, kBackground, kBackground, clRed},
        {"other styles by DrawFrameStyle", true, false, fsGroove, sdAllSides, kShadow, kHighlight,
         kBackground, kShadow},
    };
    for (const auto& c : cases) {
        TViewFrame frame({}, {});
        frame.SetFrameVisible(c.visible);
        frame.SetFrameHotTrack(c.hotTrack);
        frame.SetFrameStyle(c.style);
        frame.SetFrameSides(c.sides);
        frame.SetFrameColor(clRed);
        frame.SetFrameHotColor(clBlue);
        TBitmap picture(20, 20, kGround);
        {
            TCanvas canvas(picture);
            frame.Paint(canvas, Rect(0, 0, 20, 20), kBackground, true);
        }
        EXPECT_EQ(RowOf(picture, 10, 0, 2), (std::vector<TColor>{c.outer, c.second})) << c.what;
        EXPECT_EQ(picture.Pixel(5, 10), c.inside) << c.what;
        EXPECT_EQ(picture.Pixel(10, 0), c.top) << c.what;
    }
}

}  // namespace
