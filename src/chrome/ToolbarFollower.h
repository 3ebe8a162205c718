#pragma once

// A control on a toolbar that can take the bar's button settings: the bar
// calls these on each of its controls that is one when the setting changes,
// and the control reads the new value from the bar (its parent) unless it
// stopped following that setting.
class IToolbarFollower {
  public:
    virtual void SyncShowCaption() = 0;
    virtual void SyncLayout() = 0;
    virtual void SyncSize() = 0;

  protected:
    ~IToolbarFollower() = default;
};
