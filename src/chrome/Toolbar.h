#pragma once

#include <string>
#include <vector>

#include "chrome/ButtonLayout.h"
#include "chrome/Panel.h"
#include "framework/Bitmap.h"
#include "framework/ImageList.h"

// Preset button size, layout and caption setting of a toolbar; ttoCustom
// leaves them as they were set.
enum TRzToolbarTextOptions {
    ttoNoTextLabels,
    ttoShowTextLabels,
    ttoSelectiveTextOnRight,
    ttoCustom
};

// One place on the toolbar: the control, and its name as the form
// description stores it.
struct TRzToolbarControl {
    TControl* Control = nullptr;
    std::string Name;
};

// The bar of tool buttons and spacers at the top of a window. It lays its
// controls out itself, edge to edge in the order of ToolbarControls,
// wrapping into rows of RowHeight pixels, and can grow to fit them. Buttons
// that follow the toolbar (IToolbarFollower) take its button size, layout and
// caption setting.
//
// The keyboard reaches the buttons through the bar: Tab stops at it, and
// while it has the focus Tab and Shift+Tab (and the arrow keys) move the
// focus mark among its enabled, visible buttons (IPressable controls) in the
// bar's order before leaving it; Space and Enter press the marked button.
class TRzToolbar : public TRzCustomPanel {
  public:
    explicit TRzToolbar(TComponent* owner);

    bool ShowDivider() const { return showDivider_; }
    void SetShowDivider(bool show);
    bool AutoStyle() const { return autoStyle_; }
    void SetAutoStyle(bool autoStyle) { autoStyle_ = autoStyle; }
    bool AutoResize() const { return autoResize_; }
    void SetAutoResize(bool autoResize);
    bool WrapControls() const { return wrapControls_; }
    void SetWrapControls(bool wrap);
    TOrientation Orientation() const { return orientation_; }
    // Also turns every spacer on the bar.
    void SetOrientation(TOrientation orientation);
    int Margin() const { return margin_; }
    void SetMargin(int margin);
    int TopMargin() const { return topMargin_; }
    void SetTopMargin(int margin);
    int RowHeight() const { return rowHeight_; }
    void SetRowHeight(int height);

    // Setting any of these four directly makes TextOptions ttoCustom.
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int width);
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int height);
    TButtonLayout ButtonLayout() const { return buttonLayout_; }
    void SetButtonLayout(TButtonLayout layout);
    bool ShowButtonCaptions() const { return showButtonCaptions_; }
    void SetShowButtonCaptions(bool show);
    TRzToolbarTextOptions TextOptions() const { return textOptions_; }
    // Applies the preset's four button values (ttoCustom keeps them).
    void SetTextOptions(TRzToolbarTextOptions options);

    // Shared by the buttons that have no image list of their own.
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    // Tiled over the inside when not empty.
    TBitmap& Background() { return background_; }
    void SetBackground(const TBitmap& bitmap);

    // The order of the controls on the bar.
    const std::vector<TRzToolbarControl>& ToolbarControls() const { return toolbarControls_; }
    // The stored list of names, read while loading; resolved after loading.
    void SetToolbarControlNames(const std::vector<std::string>& names);
    std::vector<std::string> ToolbarControlNames() const;

    TNotifyEvent OnVisibleChanged;

    // Lays the controls out (see the class comment); with AutoResize the
    // bar then takes the height (or width) of its rows and the form
    // re-aligns. Runs as part of aligning, so it waits while alignment is
    // suspended.
    void PositionControls() { Realign(); }

    // The button the keyboard works on, or null.
    TControl* FocusedButton() const { return focusedButton_; }
    // Whether the button shows the focus mark: it is the focused button and
    // the bar has the keyboard focus.
    bool ShowsFocus(const TControl* button) const;

    void Paint(TCanvas& canvas) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;

  protected:
    void DoEnter(TFocusEntry entry) override;
    void DoExit() override;
    bool TabWithin(bool forward) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void AlignControls(TControl* control, TRect& rect) override;
    void ControlListChanged(TControl* control, bool inserted) override;
    void VisibleChanged() override;

  private:
    enum class ButtonChange { ShowCaption, Layout, Size };
    void LayOut();
    void ResolveToolbarControls();
    void ApplyStyleForAlignment();
    void NotifyButtons(ButtonChange change);
    struct Flow {
        int lines;    // rows, or columns when vertical
        int longest;  // the longest row that was wrapped, 0 without wrapping
    };
    Flow FlowControls(bool horizontal);
    void ResizeTo(int width, int height);
    void TileBackground(TCanvas& canvas) const;
    template <typename T>
    void StoreAndLayOut(T& field, T value);
    std::vector<TControl*> FocusableButtons() const;
    // The focusable button after the focused one (before it when not
    // forward), the first (last) when none is; null past the end.
    TControl* NeighbourButton(bool forward) const;
    void MoveFocusTo(TControl* button);

    bool showDivider_ = true;
    bool autoStyle_ = true;
    bool autoResize_ = true;
    bool wrapControls_ = true;
    TOrientation orientation_ = orHorizontal;
    int margin_ = 4;
    int topMargin_ = 2;
    int rowHeight_ = 25;
    int buttonWidth_ = 25;
    int buttonHeight_ = 25;
    TButtonLayout buttonLayout_ = blGlyphLeft;
    bool showButtonCaptions_ = false;
    TRzToolbarTextOptions textOptions_ = ttoNoTextLabels;
    TImageList* images_ = nullptr;
    TBitmap background_;
    std::vector<TRzToolbarControl> toolbarControls_;
    TControl* focusedButton_ = nullptr;
};
