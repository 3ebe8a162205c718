// Draws every chrome control into PNG files in the folder given on the
// command line, in the classic colour scheme with the main window's own
// values, so that a person can look at them:
//   kadrimarkexif-gallery OUTDIR
#include <cctype>
#include <iostream>
#include <string>

#include "chrome/Frame.h"
#include "chrome/Gradient.h"
#include "chrome/Splitter.h"
#include "chrome/gallery/ProgramChrome.h"
#include "framework/Canvas.h"
#include "framework/DateTime.h"
#include "framework/GuiSession.h"

namespace {

const char* const kFrameStyles[] = {"none",    "flat",       "groove",  "bump",
                                    "lowered", "buttondown", "raised",  "buttonup",
                                    "status",  "popup",      "flatbold"};
const char* const kDirections[] = {
    "diagonalup",  "diagonaldown",   "horizontalend", "horizontalcenter", "horizontalbox",
    "verticalend", "verticalcenter", "verticalbox",   "squarebox",        "bigsquarebox"};

class Gallery {
  public:
    explicit Gallery(std::string folder) : folder_(std::move(folder)) {}

    bool Save(const QImage& image, const std::string& name) {
        bool saved = SavePng(image, folder_ + "/" + name + ".png");
        if (!saved)
            std::cerr << "cannot write " << folder_ << "/" << name << ".png\n";
        ok_ = ok_ && saved;
        return saved;
    }
    bool Ok() const { return ok_; }

  private:
    std::string folder_;
    bool ok_ = true;
};

void DrawToolbars(Gallery& gallery) {
    TCustomForm form(nullptr);
    SetUpProgramForm(form);
    auto* images = new TImageList(&form);
    AddPlaceholderImages(*images);
    ProgramToolbar toolbar = BuildProgramToolbar(form, images);
    gallery.Save(toolbar.Toolbar->Grab(), "toolbar");
    TRzToolButton* button = toolbar.Buttons[0];
    button->MouseEnter();
    gallery.Save(toolbar.Toolbar->Grab(), "toolbar-hot");
    button->MouseDown(mbLeft, ssLeft, 10, 10);
    gallery.Save(toolbar.Toolbar->Grab(), "toolbar-down");
}

void DrawStatusBars(Gallery& gallery) {
    SetClock([] { return TDateTime{2026, 12, 8, 16, 45, 30, 0}; });
    TCustomForm form(nullptr);
    SetUpProgramForm(form);
    ProgramStatusBar status = BuildProgramStatusBar(form);
    TRzPollingList::Instance()->Tick();
    // Bring the marquee's text well into view.
    for (int tick = 0; tick < 110; ++tick)
        status.Marquee->Timer().Window().Perform(WM_TIMER, TTimer::kTimerId);
    gallery.Save(status.Bar->Grab(), "statusbar");
    status.Progress->SetMax(99);
    status.Progress->SetVisible(true);
    status.Progress->SetPosition(36);
    gallery.Save(status.Bar->Grab(), "statusbar-progress");
    for (int position : {0, 1, 50, 98, 99}) {
        status.Progress->SetPosition(position);
        status.Progress->Invalidate();
        gallery.Save(status.Progress->Grab(), "progress-" + std::to_string(position));
    }
    // The separator's last row lies below the bar: show it whole on its own.
    TCustomForm holder(nullptr);
    holder.SetBounds(0, 0, 2, 19);
    status.Separator1->SetAlign(alNone);
    status.Separator1->SetParent(&holder);
    status.Separator1->SetBounds(0, 0, 2, 19);
    gallery.Save(holder.Grab(), "separator");
    status.Separator1->SetParent(status.Bar);
    SetClock({});
}

void DrawFramesAndGradients(Gallery& gallery) {
    for (int style = fsNone; style <= fsFlatBold; ++style) {
        TBitmap picture(40, 30, clBtnFace);
        {
            TCanvas canvas(picture);
            DrawFrameStyle(canvas, Rect(0, 0, 40, 30), static_cast<TFrameStyle>(style), sdAllSides);
        }
        gallery.Save(picture.Image(), std::string("frame-") + kFrameStyles[style]);
    }
    for (int direction = gdDiagonalUp; direction <= gdBigSquareBox; ++direction) {
        TBitmap picture(64, 40, clBtnFace);
        {
            TCanvas canvas(picture);
            FillGradient(canvas, Rect(0, 0, 64, 40), static_cast<TGradientDirection>(direction),
                         clWhite, clBlue, 1);
        }
        gallery.Save(picture.Image(), std::string("gradient-") + kDirections[direction]);
    }
}

// A form with a left panel, the splitter and a client panel, caught in the
// middle of a drag.
void DrawSplitterDrag(Gallery& gallery) {
    TCustomForm form(nullptr);
    form.SetBounds(0, 0, 400, 200);
    auto* left = new TRzCustomPanel(&form);
    left->SetParent(&form);
    left->SetBounds(0, 0, 120, 200);
    left->SetAlign(alLeft);
    left->SetColor(clBtnFace);
    auto* splitter = new TRxSplitter(&form);
    splitter->SetParent(&form);
    splitter->SetBounds(120, 0, 3, 200);
    splitter->SetAlign(alLeft);
    auto* client = new TRzCustomPanel(&form);
    client->SetParent(&form);
    client->SetAlign(alClient);
    client->SetColor(clWindow);
    splitter->MouseDown(mbLeft, ssLeft, 1, 100);
    splitter->MouseMove(ssLeft, 81, 100);
    gallery.Save(form.Grab(), "splitter-drag");
    splitter->MouseUp(mbLeft, 0, 81, 100);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kadrimarkexif-gallery OUTDIR\n";
        return 2;
    }
    return RunGuiSession(argc, argv, [&] {
        UseClassicColorScheme();
        Gallery gallery(argv[1]);
        DrawToolbars(gallery);
        DrawStatusBars(gallery);
        DrawFramesAndGradients(gallery);
        DrawSplitterDrag(gallery);
        return gallery.Ok() ? 0 : 1;
    });
}
