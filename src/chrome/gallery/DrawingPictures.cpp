#include "chrome/gallery/DrawingPictures.h"

#include <array>

#include "chrome/ProgressBar.h"
#include "chrome/Splitter.h"
#include "framework/Canvas.h"
#include "framework/Form.h"

namespace {

constexpr std::array<const char*, 12> kFrameStyleNames = {
    "none",   "flat",     "groove", "bump",  "lowered",  "buttondown",
    "raised", "buttonup", "status", "popup", "flatbold", "flatrounded",
};

constexpr std::array<const char*, 10> kGradientNames = {
    "diagonalup",  "diagonaldown",   "horizontalend", "horizontalcenter", "horizontalbox",
    "verticalend", "verticalcenter", "verticalbox",   "squarebox",        "bigsquarebox",
};

TWinControl* AddPane(TCustomForm& form, TAlign align, TRect bounds, TColor color) {
    auto* pane = new TWinControl(&form);
    pane->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    pane->SetAlign(align);
    pane->SetColor(color);
    pane->SetParent(&form);
    return pane;
}

}  // namespace

std::string FrameStyleName(TFrameStyle style) {
    return kFrameStyleNames.at(std::size_t(style));
}

std::string GradientDirectionName(TGradientDirection direction) {
    return kGradientNames.at(std::size_t(direction));
}

TBitmap FramePicture(TFrameStyle style) {
    TBitmap picture(40, 30, clBtnFace);
    TCanvas canvas(picture);
    DrawFrameStyle(canvas, Rect(0, 0, 40, 30), style, sdAllSides);
    return picture;
}

TBitmap GradientPicture(TGradientDirection direction) {
    TBitmap picture(64, 40);
    TCanvas canvas(picture);
    FillGradient(canvas, Rect(0, 0, 64, 40), direction, clWhite, clBlue, 1);
    return picture;
}

TBitmap ProgressPicture(int position) {
    TCustomForm form(nullptr);
    form.SetBounds(0, 0, 667, 19);
    form.SetColor(clBtnFace);
    auto* bar = new TKvtXPProgressBar(&form);
    bar->SetParent(&form);
    bar->SetBounds(0, 0, 667, 19);
    bar->SetMax(99);
    bar->SetPosition(position);
    return TBitmap(bar->Grab());
}

TBitmap SplitterDragPicture() {
    TCustomForm form(nullptr);
    form.SetBounds(0, 0, 400, 200);
    AddPane(form, alLeft, Bounds(0, 0, 120, 200), clWindow);
    auto* splitter = new TRxSplitter(&form);
    splitter->SetParent(&form);
    splitter->SetBounds(120, 0, 3, 200);
    splitter->SetAlign(alLeft);
    AddPane(form, alClient, Bounds(123, 0, 277, 200), clWindow);
    splitter->MouseDown(mbLeft, ssLeft, 1, 100);
    splitter->MouseMove(ssLeft, 61, 100);
    TBitmap picture(form.Grab());
    std::uint16_t escape = VK_ESCAPE;
    splitter->KeyDown(escape, 0);
    return picture;
}
