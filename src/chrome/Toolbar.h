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

    void Paint(TCanvas& canvas) override;

  protected:
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
};
