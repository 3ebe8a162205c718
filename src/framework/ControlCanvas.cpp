#include "framework/ControlCanvas.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "framework/Canvas.h"
#include "framework/WinControl.h"

TControlCanvas::TControlCanvas(TControl& control) : window_(control.Window()) {
    TPoint origin = control.OriginInWindow();
    area_ = OffsetRect(control.ClientRect(), origin.X, origin.Y);
    if (window_ == nullptr || window_->surface_.Empty() || !control.Visible()) {
        window_ = nullptr;
        scratch_.SetSize(std::max(control.Width(), 1), std::max(control.Height(), 1));
        canvas_ = std::make_unique<TCanvas>(scratch_);
        return;
    }
    painter_ = std::make_unique<QPainter>(&window_->surface_.Image());
    painter_->translate(area_.Left, area_.Top);
    painter_->setClipRect(QRect(0, 0, area_.Width(), area_.Height()));
    canvas_ = std::make_unique<TCanvas>(*painter_);
}

TControlCanvas::~TControlCanvas() {
    canvas_.reset();
    painter_.reset();
    if (window_ != nullptr)
        window_->Widget()->update(ToQRect(area_));
}
