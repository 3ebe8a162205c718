#pragma once

#include <functional>
#include <utility>

#include "chrome/Frame.h"
#include "framework/Color.h"
#include "framework/Geometry.h"

class TCanvas;

// Whether the frame is left to the visual theme when one is active.
enum TFramingPreference { fpCustomFraming, fpXPThemes };

// The frame and colour state of a view control (the folder tree and the file
// list): the frame properties and the state colours with their start values,
// the hot rule, the background of the moment and the painting of the border
// ring. It knows no control: the control says whether it is focused and
// enabled, and is called back when a value changes.
//
// Every setter ignores an unchanged value; a changed frame property or mouse
// state calls FrameChanged (the control repaints), a changed state colour
// calls ColorsChanged (the control re-applies its colours).
class TViewFrame {
  public:
    // The border ring around the control's views, in pixels.
    static constexpr int kRingWidth = 2;

    TViewFrame(std::function<void()> frameChanged, std::function<void()> colorsChanged)
        : frameChanged_(std::move(frameChanged)), colorsChanged_(std::move(colorsChanged)) {}

    bool FrameVisible() const { return frameVisible_; }
    void SetFrameVisible(bool visible) { Store(frameVisible_, visible, frameChanged_); }
    TFrameStyle FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(TFrameStyle style) { Store(frameStyle_, style, frameChanged_); }
    TFrameStyle FrameHotStyle() const { return frameHotStyle_; }
    void SetFrameHotStyle(TFrameStyle style) { Store(frameHotStyle_, style, frameChanged_); }
    TColor FrameColor() const { return frameColor_; }
    void SetFrameColor(TColor color) { Store(frameColor_, color, frameChanged_); }
    TColor FrameHotColor() const { return frameHotColor_; }
    void SetFrameHotColor(TColor color) { Store(frameHotColor_, color, frameChanged_); }
    bool FrameHotTrack() const { return frameHotTrack_; }
    void SetFrameHotTrack(bool hotTrack) { Store(frameHotTrack_, hotTrack, frameChanged_); }
    TSides FrameSides() const { return frameSides_; }
    void SetFrameSides(TSides sides) { Store(frameSides_, sides, frameChanged_); }
    TFramingPreference FramingPreference() const { return framingPreference_; }
    void SetFramingPreference(TFramingPreference p) { Store(framingPreference_, p, frameChanged_); }
    TColor FocusColor() const { return focusColor_; }
    void SetFocusColor(TColor color) { Store(focusColor_, color, colorsChanged_); }
    TColor DisabledColor() const { return disabledColor_; }
    void SetDisabledColor(TColor color) { Store(disabledColor_, color, colorsChanged_); }

    // The mouse entered (true) or left (false) the control.
    void SetMouseOver(bool over) { Store(mouseOver_, over, frameChanged_); }
    // Whether the hot style and colour are in force: FrameHotTrack is on and
    // the control is focused or under the mouse.
    bool Hot(bool focused) const { return frameHotTrack_ && (focused || mouseOver_); }
    // The background of the moment: DisabledColor while disabled, else
    // FocusColor while focused, else `normal`.
    TColor StateColor(TColor normal, bool enabled, bool focused) const;

    // Paints the border ring on `rect` (the whole control): fills it with
    // `background`, then draws the platform's sunken edge (fsLowered) or,
    // with FrameVisible, the frame: the hot or normal style and colour on
    // FrameSides, fsFlat as 1-pixel and fsFlatBold as 2-pixel lines in the
    // colour, any other style with DrawFrameStyle.
    void Paint(TCanvas& canvas, const TRect& rect, TColor background, bool focused) const;

  private:
    template <typename T>
    void Store(T& field, T value, const std::function<void()>& changed) {
        if (field == value)
            return;
        field = value;
        if (changed)
            changed();
    }

    std::function<void()> frameChanged_;
    std::function<void()> colorsChanged_;
    bool frameVisible_ = false;
    TFrameStyle frameStyle_ = fsFlat;
    TFrameStyle frameHotStyle_ = fsFlatBold;
    TColor frameColor_ = clBtnShadow;
    TColor frameHotColor_ = clBtnShadow;
    bool frameHotTrack_ = false;
    TSides frameSides_ = sdAllSides;
    TFramingPreference framingPreference_ = fpXPThemes;
    TColor focusColor_ = clWindow;
    TColor disabledColor_ = clBtnFace;
    bool mouseOver_ = false;
};
