#pragma once

#include <vector>

#include "chrome/Frame.h"
#include "framework/Control.h"

class TRzFrameController;

// A control that can take its frame from a TRzFrameController (status panes,
// the tree and list views). The client refers to at most one controller and
// registers with it; neither owns the other, and each side forgets the other
// when either is destroyed.
class TRzFrameControllerClient {
  public:
    TRzFrameControllerClient(const TRzFrameControllerClient&) = delete;
    TRzFrameControllerClient& operator=(const TRzFrameControllerClient&) = delete;

    TRzFrameController* FrameController() const { return frameController_; }
    // Refers to `controller` (none when null) and takes its settings at once.
    void SetFrameController(TRzFrameController* controller);
    // Takes the controller's frame style, flat colour, colour and parent-colour
    // flag when there is a controller and it is active.
    void UpdateFromFrameController();

  protected:
    // `control` is the client itself, whose colour the controller sets.
    explicit TRzFrameControllerClient(TControl& control) : control_(control) {}
    ~TRzFrameControllerClient();

    // Takes the controller's frame style and flat (line) colour; repaints.
    virtual void TakeControllerFrame(TFrameStyle style, TColor flatColor) = 0;

  private:
    TControl& control_;
    TRzFrameController* frameController_ = nullptr;
};

// Shared frame settings: while Active, every client that refers to it takes
// its frame style, flat colour, colour and parent-colour flag, now and
// whenever one of them changes.
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

  private:
    friend class TRzFrameControllerClient;
    // Called by a client when it starts or stops referring to this one.
    void AddClient(TRzFrameControllerClient* client);
    void RemoveClient(TRzFrameControllerClient* client);
    // Imposes the settings on every client when active.
    void UpdateClients();
    template <typename T>
    void StoreAndUpdate(T& field, T value);

    bool active_ = true;
    TFrameStyle frameStyle_ = fsFlat;
    TColor flatColor_ = clBtnShadow;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    std::vector<TRzFrameControllerClient*> clients_;
};
