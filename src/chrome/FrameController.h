#pragma once

#include <vector>

#include "chrome/Frame.h"
#include "framework/Control.h"

class TRzCustomStatusPane;

// Shared frame settings for status panes: while Active, every pane that
// refers to it takes its frame style, flat colour, colour and parent-colour
// flag, now and whenever one of them changes. Panes register through
// TRzCustomStatusPane::SetFrameController; the controller does not own them,
// and each side forgets the other when either is destroyed.
class TRzFrameController : public TComponent {
  public:
    explicit TRzFrameController(TComponent* owner) : TComponent(owner) {}
    ~TRzFrameController() override;

    bool Active() const { return active_; }
    void SetActive(bool active);
    TFrameStyle FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(TFrameStyle style);
    TColor FlatColor() const { return flatColor_; }
    void SetFlatColor(TColor color);
    TColor Color() const { return color_; }
    // Setting a colour turns ParentColor off.
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);

    // Called by the pane when it starts or stops referring to this one.
    void AddPane(TRzCustomStatusPane* pane);
    void RemovePane(TRzCustomStatusPane* pane);

  private:
    // Imposes the settings on every pane when active.
    void UpdatePanes();
    template <typename T>
    void StoreAndUpdate(T& field, T value);

    bool active_ = true;
    TFrameStyle frameStyle_ = fsFlat;
    TColor flatColor_ = clBtnShadow;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    std::vector<TRzCustomStatusPane*> panes_;
};
