#include "chrome/FrameController.h"

#include <algorithm>

#include "chrome/StatusPane.h"

TRzFrameController::~TRzFrameController() {
    for (TRzCustomStatusPane* pane : std::vector(panes_))
        pane->SetFrameController(nullptr);
}

template <typename T>
void TRzFrameController::StoreAndUpdate(T& field, T value) {
    if (field == value)
        return;
    field = value;
    UpdatePanes();
}

void TRzFrameController::SetActive(bool active) {
    StoreAndUpdate(active_, active);
}
void TRzFrameController::SetFrameStyle(TFrameStyle style) {
    StoreAndUpdate(frameStyle_, style);
}
void TRzFrameController::SetFlatColor(TColor color) {
    StoreAndUpdate(flatColor_, color);
}
void TRzFrameController::SetParentColor(bool parentColor) {
    StoreAndUpdate(parentColor_, parentColor);
}

void TRzFrameController::SetColor(TColor color) {
    parentColor_ = false;
    color_ = color;
    UpdatePanes();
}

void TRzFrameController::AddPane(TRzCustomStatusPane* pane) {
    if (std::ranges::find(panes_, pane) == panes_.end())
        panes_.push_back(pane);
}

void TRzFrameController::RemovePane(TRzCustomStatusPane* pane) {
    std::erase(panes_, pane);
}

void TRzFrameController::UpdatePanes() {
    for (TRzCustomStatusPane* pane : panes_)
        pane->UpdateFromFrameController();
}
