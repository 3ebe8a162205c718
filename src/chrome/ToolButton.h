#pragma once

#include <string>

#include "chrome/ButtonLayout.h"
#include "chrome/Pressable.h"
#include "chrome/ToolbarFollower.h"
#include "framework/Control.h"
#include "framework/ImageList.h"

class TRzToolbar;

enum TRzToolStyle { tsButton, tsDropDown };
enum TRzButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// A windowless toolbar button: an image and an optional caption, flat (a
// frame only when hot or pressed), clicking when the left button is pressed
// and released over it. A button with a GroupIndex latches down and is
// exclusive among its siblings of the same group. On a toolbar it can take
// the toolbar's button size, layout and caption setting.
class TRzToolButton : public TControl, public IToolbarFollower, public IPressable {
  public:
    explicit TRzToolButton(TComponent* owner);

    bool ShowCaption() const { return showCaption_; }
    // Also stops following the toolbar's caption setting.
    void SetShowCaption(bool show);
    TButtonLayout Layout() const { return layout_; }
    // Also stops following the toolbar's layout.
    void SetLayout(TButtonLayout layout);
    // Setting a size outside loading stops following the toolbar's size.
    void SetBounds(int left, int top, int width, int height) override;

    // Own image list, or the toolbar's when none.
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    TImageList* ActiveImages() const;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    int DownIndex() const { return downIndex_; }
    void SetDownIndex(int index);
    int HotIndex() const { return hotIndex_; }
    void SetHotIndex(int index);
    int DisabledIndex() const { return disabledIndex_; }
    void SetDisabledIndex(int index);

    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    TRzToolStyle ToolStyle() const { return toolStyle_; }
    void SetToolStyle(TRzToolStyle style);

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index) { groupIndex_ = index; }
    bool Down() const { return down_; }
    // Ignored while GroupIndex is 0; a button going down raises the others
    // of its group.
    void SetDown(bool down);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool allow) { allowAllUp_ = allow; }

    bool UseToolbarButtonLayout() const { return useToolbarButtonLayout_; }
    void SetUseToolbarButtonLayout(bool use);
    bool UseToolbarButtonSize() const { return useToolbarButtonSize_; }
    void SetUseToolbarButtonSize(bool use);
    bool UseToolbarShowCaption() const { return useToolbarShowCaption_; }
    void SetUseToolbarShowCaption(bool use);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    TRzButtonState State() const { return state_; }
    bool MouseOver() const { return mouseOver_; }

    // Take the toolbar's setting when on a toolbar and following it.
    void SyncShowCaption() override;
    void SyncLayout() override;
    void SyncSize() override;

    // Where the image and the caption go (client coordinates); both move
    // one pixel right and down while the button is pressed.
    TRect ImageRect() const;
    TRect CaptionRect() const;

    void Paint(TCanvas& canvas) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    // The caption's accelerator clicks an enabled, visible button whose
    // parent is showing.
    bool DialogChar(char32_t ch) override;
    // What a click with the mouse does: an enabled button toggles as its
    // group says and clicks.
    void Press() override;
    // The Hint, or else the whole caption when the button cannot show it all.
    std::string ShownHint() const override;

  protected:
    void Loaded() override;
    void ParentChanged() override;
    void TextChanged() override;
    void EnabledChanged() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    TRzToolbar* Toolbar() const;
    void SyncAll();
    bool Pressed() const { return state_ == bsDown || state_ == bsExclusive; }
    // A disabled button keeps its mouse-over flag but never looks hot.
    bool Hot() const { return mouseOver_ && Enabled(); }
    int ImageWidth() const;
    int ImageHeight() const;
    TRect ContentRect() const;
    TRect MeasureCaption(TRect r) const;
    int CaptionHeight() const;
    TRect PressedOffset(TRect r) const;
    TRect DrawFrame(TCanvas& canvas) const;
    void DrawBackground(TCanvas& canvas, const TRect& rect) const;
    void DrawDropDownArrow(TCanvas& canvas) const;
    void DrawImage(TCanvas& canvas) const;
    void DrawCaption(TCanvas& canvas) const;
    void SetState(TRzButtonState state);
    // A grouped button's click flips Down, unless it is latched and may not
    // go up: then the click does not happen. Returns whether it goes on.
    bool ToggleForClick();
    // Word-wrapped, the caption fits its rectangle both ways.
    bool CaptionFits() const;
    void ShowRestingState();
    void SetMouseOver(bool over, bool wasOver);
    void RaiseForGroup(bool allowAllUp);

    bool showCaption_ = false;
    TButtonLayout layout_ = blGlyphLeft;
    TImageList* images_ = nullptr;
    int imageIndex_ = -1, downIndex_ = -1, hotIndex_ = -1, disabledIndex_ = -1;
    bool flat_ = true;
    bool transparent_ = true;
    TRzToolStyle toolStyle_ = tsButton;
    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    bool useToolbarButtonLayout_ = true;
    bool useToolbarButtonSize_ = true;
    bool useToolbarShowCaption_ = true;
    bool syncing_ = false;

    TRzButtonState state_ = bsUp;
    bool mouseOver_ = false;
    bool pressedInside_ = false;
};
