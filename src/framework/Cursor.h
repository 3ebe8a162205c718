#pragma once

// Mouse cursor shapes, and the screen-wide cursor that long operations set
// (the hourglass) and restore afterwards.
enum TCursor : int {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22,
};

// The screen's cursor: crDefault lets each control show its own; any other
// value is shown over the whole application until set back.
class TScreen {
  public:
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

  private:
    TCursor cursor_ = crDefault;
};

extern TScreen* Screen;

// Sets the screen cursor for the lifetime of the object and restores the
// previous one afterwards, also when an exception passes through.
class TCursorScope {
  public:
    explicit TCursorScope(TCursor cursor) : previous_(Screen->Cursor()) {
        Screen->SetCursor(cursor);
    }
    ~TCursorScope() { Screen->SetCursor(previous_); }
    TCursorScope(const TCursorScope&) = delete;
    TCursorScope& operator=(const TCursorScope&) = delete;

  private:
    TCursor previous_;
};

// The Qt cursor shape for a cursor value (Qt::CursorShape as int).
int QtCursorShape(TCursor cursor);
