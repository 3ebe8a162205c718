#pragma once

// A control a person presses as a button: from the keyboard when a toolbar
// marks it, or through an assistive tool. A press does what a click does.
class IPressable {
  public:
    virtual void Press() = 0;

  protected:
    ~IPressable() = default;
};
