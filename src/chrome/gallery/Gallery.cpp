// Draws every chrome control into PNG files in the folder given on the
// command line, in the classic colour scheme with the main window's own
// values, so that a person can look at them:
//   kadrimarkexif-gallery OUTDIR
#include <iostream>
#include <string>

#include "chrome/gallery/DrawingPictures.h"
#include "chrome/ProgramChrome.h"
#include "framework/DateTime.h"
#include "framework/GuiSession.h"

namespace {

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

// The drawing routines, the progress bar alone and the splitter's drag.
void DrawPictures(Gallery& gallery) {
    for (int style = fsNone; style <= fsFlatBold; ++style) {
        auto frame = static_cast<TFrameStyle>(style);
        gallery.Save(FramePicture(frame).Image(), "frame-" + FrameStyleName(frame));
    }
    for (int direction = gdDiagonalUp; direction <= gdBigSquareBox; ++direction) {
        auto gradient = static_cast<TGradientDirection>(direction);
        gallery.Save(GradientPicture(gradient).Image(),
                     "gradient-" + GradientDirectionName(gradient));
    }
    for (int position : {0, 1, 50, 98, 99})
        gallery.Save(ProgressPicture(position).Image(), "progress-" + std::to_string(position));
    gallery.Save(SplitterDragPicture().Image(), "splitter-drag");
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
        DrawPictures(gallery);
        return gallery.Ok() ? 0 : 1;
    });
}
