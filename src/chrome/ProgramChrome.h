#pragma once

#include <array>

#include "chrome/MarqueeStatus.h"
#include "chrome/PollingStatus.h"
#include "chrome/ProgressBar.h"
#include "chrome/Separator.h"
#include "chrome/Spacer.h"
#include "chrome/StatusBar.h"
#include "chrome/ToolButton.h"
#include "chrome/Toolbar.h"
#include "framework/Form.h"
#include "framework/ImageList.h"

// The main window's toolbar and status bar with the values its form
// description gives them, built on a form the caller owns (the form owns
// what is built). The window reads its bars from here, and so do the gallery
// and the tests that draw them on a form of their own.

struct ProgramToolbar {
    TRzToolbar* Toolbar = nullptr;
    std::array<TRzSpacer*, 2> Spacers{};
    std::array<TRzToolButton*, 6> Buttons{};
};

struct ProgramStatusBar {
    TRzStatusBar* Bar = nullptr;
    TRzMarqueeStatus* Marquee = nullptr;
    TRzSeparator* Separator1 = nullptr;
    TRzClockStatus* Clock = nullptr;
    TRzSeparator* Separator2 = nullptr;
    TKvtXPProgressBar* Progress = nullptr;
};

// A form of the window's size (940 wide) that carries the bars.
void SetUpProgramForm(TCustomForm& form);

// Ten 16 x 16 placeholder pictures in the order of the window's image list.
void AddPlaceholderImages(TImageList& images);

// Each is read as the form description does: values applied while loading,
// then every component's loaded step. Called while the form is already
// loading, the values join that load and the loaded steps wait for its end.
ProgramToolbar BuildProgramToolbar(TCustomForm& form, TImageList* images);
ProgramStatusBar BuildProgramStatusBar(TCustomForm& form);
