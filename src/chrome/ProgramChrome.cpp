#include "chrome/ProgramChrome.h"

#include <QCoreApplication>
#include <functional>
#include <string>

#include "framework/Canvas.h"

namespace {

constexpr TColor kSeeThrough = clFuchsia;

template <typename T>
T* Make(TCustomForm& form, TWinControl* parent, const char* name) {
    auto* component = new T(&form);
    component->SetName(name);
    component->SetParent(parent);
    return component;
}

// A page with a folded look: white with a black outline.
void Page(TCanvas& c, int left, int top) {
    c.Pen.Color = clBlack;
    c.Brush.Color = clWhite;
    c.Rectangle(Rect(left, top, left + 8, top + 10));
}

void Window(TCanvas& c) {
    c.Pen.Color = clNavy;
    c.Brush.Color = clWhite;
    c.Rectangle(Rect(1, 2, 15, 14));
    c.Brush.Color = clNavy;
    c.FillRect(Rect(1, 2, 15, 5));
}

void Arrow(TCanvas& c, int x, int y, TColor color) {
    c.Pen.Color = color;
    c.Brush.Color = color;
    c.Polygon({{x, y - 3}, {x + 4, y}, {x, y + 3}});
    c.FillRect(Rect(x - 4, y - 1, x, y + 2));
}

const std::function<void(TCanvas&)> kMotifs[] = {
    [](TCanvas& c) {  // documents with an arrow: the stamp command
        Page(c, 1, 1);
        Page(c, 4, 4);
        Arrow(c, 11, 11, clGreen);
    },
    [](TCanvas& c) {  // an open door with an arrow: exit
        c.Brush.Color = clMaroon;
        c.FillRect(Rect(2, 1, 9, 15));
        c.Brush.Color = clOlive;
        c.Polygon({{4, 2}, {8, 1}, {8, 15}, {4, 14}});
        Arrow(c, 11, 8, clRed);
    },
    [](TCanvas& c) {  // an information sign: author
        c.Pen.Color = clNavy;
        c.Brush.Color = clBlue;
        c.Polygon({{5, 1}, {10, 1}, {14, 5}, {14, 10}, {10, 14}, {5, 14}, {1, 10}, {1, 5}});
        c.Brush.Color = clWhite;
        c.FillRect(Rect(7, 3, 9, 5));
        c.FillRect(Rect(7, 6, 9, 12));
    },
    [](TCanvas& c) {  // a window with large icons: icon view
        Window(c);
        for (int x : {3, 9})
            for (int y : {6, 10}) {
                c.Brush.Color = clTeal;
                c.FillRect(Rect(x, y, x + 4, y + 3));
            }
    },
    [](TCanvas& c) {  // a window with small coloured icons: list view
        Window(c);
        TColor colours[] = {clRed, clGreen, clBlue};
        for (int row = 0; row < 3; ++row) {
            c.Brush.Color = colours[row];
            c.FillRect(Rect(3, 6 + 3 * row, 5, 8 + 3 * row));
            c.Brush.Color = clGray;
            c.FillRect(Rect(6, 7 + 3 * row, 12, 8 + 3 * row));
        }
    },
    [](TCanvas& c) {  // a window with lines of text: report view
        Window(c);
        c.Brush.Color = clBlack;
        for (int row = 0; row < 4; ++row)
            c.FillRect(Rect(3, 6 + 2 * row, 13, 7 + 2 * row));
    },
};

TBitmap Grey(const TBitmap& picture) {
    TBitmap grey = picture;
    for (int y = 0; y < grey.Height(); ++y)
        for (int x = 0; x < grey.Width(); ++x) {
            TColor c = grey.Pixel(x, y);
            if (c == kSeeThrough)
                continue;
            auto level =
                static_cast<std::uint8_t>((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
            grey.SetPixel(x, y, RGB(level, level, level));
        }
    return grey;
}

void Load(TCustomForm& form, const std::function<void()>& apply) {
    if (form.Loading()) {
        apply();
        return;
    }
    form.BeginLoading();
    apply();
    form.EndLoading();
}

TRzToolButton* Button(TCustomForm& form, TRzToolbar* bar, TImageList* images, const char* name,
                      int left, int imageIndex) {
    auto* button = Make<TRzToolButton>(form, bar, name);
    button->SetBounds(left, 4, button->Width(), button->Height());
    button->SetImageIndex(imageIndex);
    button->SetImages(images);
    return button;
}

// The captions are the window's texts (context TForm1), shown in the program's language.
void Captioned(TRzToolButton* button, int width, const char* caption) {
    button->SetWidth(width);
    button->SetCaption(QCoreApplication::translate("TForm1", caption).toStdString());
    button->SetShowCaption(true);
    button->SetUseToolbarButtonSize(false);
    button->SetUseToolbarShowCaption(false);
    button->SetCursor(crHandPoint);
}

TRzSeparator* ProgramSeparator(TCustomForm& form, TRzStatusBar* bar, const char* name, int left,
                               TAlign align) {
    auto* separator = Make<TRzSeparator>(form, bar, name);
    separator->SetBounds(left, 0, 2, 19);
    separator->SetAlign(align);
    separator->SetOrientation(orVertical);
    separator->SetShowGradient(true);
    separator->SetHighlightColor(clBlue);
    separator->SetParentColor(false);
    return separator;
}

}  // namespace

void SetUpProgramForm(TCustomForm& form) {
    form.SetBounds(0, 0, 940, 606);
}

// Indices 0, 1 and 2 are the three commands' pictures; 3 is the grey copy
// of 2, and the three view pictures at 4, 6 and 8 are each followed by theirs.
void AddPlaceholderImages(TImageList& images) {
    for (size_t i = 0; i < std::size(kMotifs); ++i) {
        TBitmap picture(16, 16, kSeeThrough);
        {
            TCanvas canvas(picture);
            kMotifs[i](canvas);
        }
        images.AddMasked(picture, kSeeThrough);
        if (i >= 2)
            images.AddMasked(Grey(picture), kSeeThrough);
    }
}

ProgramToolbar BuildProgramToolbar(TCustomForm& form, TImageList* images) {
    ProgramToolbar t;
    Load(form, [&] {
        t.Toolbar = Make<TRzToolbar>(form, &form, "RzToolbar1");
        t.Toolbar->SetBounds(0, 0, 940, 33);
        t.Toolbar->SetImages(images);
        t.Toolbar->SetTopMargin(4);
        t.Toolbar->SetBorderInner(fsNone);
        t.Toolbar->SetBorderOuter(fsGroove);
        t.Toolbar->SetBorderSides(sdTop);
        t.Toolbar->SetBorderWidth(0);
        t.Toolbar->SetUseGradients(true);
        t.Toolbar->SetGradientColorStop(clBlue);
        t.Toolbar->SetGradientDirection(gdSquareBox);
        t.Toolbar->SetToolbarControlNames({"RzSpacer1", "RzToolButton1", "RzToolButton2",
                                           "RzToolButton3", "RzSpacer2", "RzToolButton4",
                                           "RzToolButton5", "RzToolButton6"});
        t.Spacers[0] = Make<TRzSpacer>(form, t.Toolbar, "RzSpacer1");
        t.Spacers[0]->SetBounds(4, 4, 5, 25);
        auto& b = t.Buttons;
        b[0] = Button(form, t.Toolbar, images, "RzToolButton1", 9, 0);
        Captioned(b[0], 120, QT_TRANSLATE_NOOP("TForm1", "Добавить EXIF"));
        b[0]->SetUseToolbarButtonLayout(false);
        b[1] = Button(form, t.Toolbar, images, "RzToolButton2", 129, 2);
        Captioned(b[1], 88, QT_TRANSLATE_NOOP("TForm1", "Автор"));
        b[1]->SetUseToolbarButtonLayout(false);
        b[2] = Button(form, t.Toolbar, images, "RzToolButton3", 217, 1);
        Captioned(b[2], 88, QT_TRANSLATE_NOOP("TForm1", "Выход"));
        t.Spacers[1] = Make<TRzSpacer>(form, t.Toolbar, "RzSpacer2");
        t.Spacers[1]->SetBounds(305, 4, 8, 25);
        b[3] = Button(form, t.Toolbar, images, "RzToolButton4", 313, 4);
        b[4] = Button(form, t.Toolbar, images, "RzToolButton5", 338, 6);
        b[4]->SetWidth(28);
        b[4]->SetShowCaption(true);
        b[4]->SetUseToolbarShowCaption(false);
        b[5] = Button(form, t.Toolbar, images, "RzToolButton6", 366, 8);
    });
    return t;
}

ProgramStatusBar BuildProgramStatusBar(TCustomForm& form) {
    ProgramStatusBar s;
    Load(form, [&] {
        s.Bar = Make<TRzStatusBar>(form, &form, "RzStatusBar1");
        s.Bar->SetBounds(0, 587, 940, 19);
        s.Marquee = Make<TRzMarqueeStatus>(form, s.Bar, "RzMarqueeStatus1");
        s.Marquee->SetBounds(0, 0, 121, 19);
        s.Marquee->SetAlign(alLeft);
        s.Marquee->SetCaption("KadrimarkEXIF");
        s.Separator1 = ProgramSeparator(form, s.Bar, "RzSeparator1", 121, alLeft);
        s.Clock = Make<TRzClockStatus>(form, s.Bar, "RzClockStatus1");
        s.Clock->SetBounds(790, 0, s.Clock->Width(), 19);
        s.Clock->SetAlign(alRight);
        s.Separator2 = ProgramSeparator(form, s.Bar, "RzSeparator2", 788, alRight);
        s.Progress = Make<TKvtXPProgressBar>(form, s.Bar, "KvtXPProgressBar1");
        s.Progress->SetBounds(123, 0, 665, 19);
        s.Progress->SetAlign(alClient);
        s.Progress->SetVisible(false);
        s.Progress->SetMin(0);
        s.Progress->SetMax(100);
        s.Progress->SetParentColor(false);
    });
    return s;
}
