#pragma once

#include <functional>

#include "framework/WinControl.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TSplitterBorderStyle { sbsNone, sbsSingle };

class TRxSplitter;
// Asked before each move of a drag and before the final resize; clearing
// allowChange keeps the line (or the sizes) where they are.
using TSplitterMoveEvent =
    std::function<void(TRxSplitter* sender, int x, int y, bool& allowChange)>;

class SplitterDragLine;

// A thin panel between two aligned controls; dragging it with the left
// button resizes one of them. ControlFirst is the control before the
// splitter (in its alignment's direction), ControlSecond the optional one
// after it. The pair's alignments decide the split direction (and the
// cursor); a splitter whose own alignment does not fit is inert.
//
// While dragging, the splitter holds the mouse, shows a 2-pixel (or thicker)
// inverted line on its form that follows the mouse within the limits, and
// takes the Esc key from the form's active control; release resizes the
// control, Esc cancels. References to destroyed controls are cleared (the
// controls must share the splitter's owner, which tells it of their end).
class TRxSplitter : public TWinControl {
  public:
    explicit TRxSplitter(TComponent* owner);
    ~TRxSplitter() override;

    TControl* ControlFirst() const { return controlFirst_; }
    void SetControlFirst(TControl* control);
    TControl* ControlSecond() const { return controlSecond_; }
    void SetControlSecond(TControl* control);

    int TopLeftLimit() const { return topLeftLimit_; }
    void SetTopLeftLimit(int limit) { topLeftLimit_ = limit; }
    int BottomRightLimit() const { return bottomRightLimit_; }
    void SetBottomRightLimit(int limit) { bottomRightLimit_ = limit; }
    // The older form-description key: sets both limits.
    void SetLimitOffset(int limit);

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    TSplitterBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TSplitterBorderStyle style);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool ctl3D) { ctl3D_ = ctl3D; }
    bool ParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool parentCtl3D) { parentCtl3D_ = parentCtl3D; }

    // 0 inert; 1 and 2 move vertically and resize ControlFirst or
    // ControlSecond; 3 and 4 likewise horizontally.
    int SplitDirection() const;
    bool Dragging() const { return active_; }

    TSplitterMoveEvent OnPosChanging;
    TNotifyEvent OnPosChanged;

    void Paint(TCanvas& canvas) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;

  protected:
    // Coming from none or client, the splitter takes its 3-pixel thickness
    // (outside loading). With no references set, the sibling it now touches
    // becomes ControlFirst.
    void AlignChanged(TAlign old) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    bool Vertical() const;  // directions 1 and 2: the line is horizontal
    int LineThickness() const;
    void UpdateCursor();
    void SetReference(TControl*& field, TControl* control);
    void DetectControlFirst();
    void StartDrag(int x, int y);
    void EndDrag(bool apply, int x, int y);
    bool AskPosChanging(int x, int y);
    TPoint ClampToLimits(TPoint p) const;
    void MoveLine(TPoint splitterPoint);
    void ApplyResize(TPoint p);
    void BorrowKeys();
    void ReturnKeys();

    TControl* controlFirst_ = nullptr;
    TControl* controlSecond_ = nullptr;
    int topLeftLimit_ = 20;
    int bottomRightLimit_ = 20;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    TSplitterBorderStyle borderStyle_ = sbsNone;
    bool ctl3D_ = false;
    bool parentCtl3D_ = false;

    // Drag state.
    bool active_ = false;
    TPoint down_;
    TPoint minimum_;
    TPoint maximum_;
    TPoint lineScreen_;  // the last line drawn, screen coordinates
    bool clamped_ = false;
    // Owned while dragging; as a child of the form it may be freed with the
    // form first, and then clears this pointer itself.
    SplitterDragLine* line_ = nullptr;
    TWinControl* keyControl_ = nullptr;
    TKeyEvent savedKeyDown_;
    bool savedShowHint_ = true;  // the application's, while hints are off for a drag
};
