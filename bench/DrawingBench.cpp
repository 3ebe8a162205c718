// Times the drawing that runs on every repaint of the main window's chrome:
// the toolbar's box gradient, a full progress-bar repaint and the rising
// progress draw the stamp command triggers once per photo.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <functional>

#include "chrome/Gradient.h"
#include "chrome/ProgressBar.h"
#include "framework/Canvas.h"
#include "framework/Form.h"

namespace {

void Time(const char* what, int rounds, const std::function<void(int)>& body) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        body(i);
    }
    const std::chrono::duration<double, std::micro> spent =
        std::chrono::steady_clock::now() - start;
    std::printf("%-40s %8.1f us per call (%d calls)\n", what, spent.count() / rounds, rounds);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    UseClassicColorScheme();

    TBitmap toolbar(940, 31);
    Time("toolbar square-box gradient 940x31", 200, [&](int) {
        TCanvas canvas(toolbar);
        FillGradient(canvas, Rect(0, 0, 940, 31), gdSquareBox, clWhite, clBlue, 1);
    });
    Time("horizontal-end gradient 940x31", 200, [&](int) {
        TCanvas canvas(toolbar);
        FillGradient(canvas, Rect(0, 0, 940, 31), gdHorizontalEnd, clWhite, clBlue, 1);
    });

    TCustomForm form(nullptr);
    form.SetBounds(0, 0, 667, 19);
    auto* bar = new TKvtXPProgressBar(&form);
    bar->SetParent(&form);
    bar->SetBounds(0, 0, 667, 19);
    bar->SetMax(999);
    bar->Grab();
    Time("progress rising by one (draw at once)", 999, [&](int i) { bar->SetPosition(i + 1); });
    Time("progress one rise and one fall (repaint)", 200, [&](int i) {
        bar->SetPosition(999 - (i % 2));
        bar->SetPosition(998 - (i % 2));
    });
    return 0;
}
