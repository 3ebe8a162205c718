#pragma once

// Private to the windowed control: the Qt widget behind a TWinControl.

#include <QWidget>

class QHelpEvent;
class TWinControl;

// The Qt side of a windowed control: shows its surface and hands input over.
// Detached when its control goes, it passes nothing on any more.
class ControlWidget : public QWidget {
  public:
    explicit ControlWidget(TWinControl* owner);
    void Detach() { owner_ = nullptr; }
    TWinControl* Owner() const { return owner_; }

  protected:
    bool event(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void keyPressEvent(QKeyEvent* e) override;
    // The user sized a top-level window.
    void resizeEvent(QResizeEvent*) override;

  private:
    // The tip of the windowless control under the mouse, else the window's
    // own; it goes when the mouse leaves that control.
    void ShowTip(const QHelpEvent& e);
    // Accelerators belong to the whole window, whichever control has the focus.
    bool OfferDialogChar(char32_t ch);

    TWinControl* owner_;
};
