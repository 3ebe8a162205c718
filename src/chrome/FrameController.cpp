#include "chrome/FrameController.h"

#include <algorithm>

// ------------------------------------------------- TRzFrameControllerClient

TRzFrameControllerClient::~TRzFrameControllerClient() {
    if (frameController_ != nullptr)
        frameController_->RemoveClient(this);
}

void TRzFrameControllerClient::SetFrameController(TRzFrameController* controller) {
    if (controller == frameController_)
        return;
    if (frameController_ != nullptr)
        frameController_->RemoveClient(this);
    frameController_ = controller;
    if (frameController_ != nullptr) {
        frameController_->AddClient(this);
        UpdateFromFrameController();
    }
}

void TRzFrameControllerClient::UpdateFromFrameController() {
    if (frameController_ == nullptr || !frameController_->Active())
        return;
    TakeControllerFrame(frameController_->FrameStyle(), frameController_->FlatColor());
    if (frameController_->ParentColor())
        control_.SetParentColor(true);
    else
        control_.SetColor(frameController_->Color());
}

// ------------------------------------------------------- TRzFrameController

TRzFrameController::~TRzFrameController() {
    for (TRzFrameControllerClient* client : std::vector(clients_))
        client->SetFrameController(nullptr);
}

template <typename T>
void TRzFrameController::StoreAndUpdate(T& field, T value) {
    if (field == value)
        return;
    field = value;
    UpdateClients();
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
    UpdateClients();
}

void TRzFrameController::AddClient(TRzFrameControllerClient* client) {
    if (std::ranges::find(clients_, client) == clients_.end())
        clients_.push_back(client);
}

void TRzFrameController::RemoveClient(TRzFrameControllerClient* client) {
    std::erase(clients_, client);
}

void TRzFrameController::UpdateClients() {
    for (TRzFrameControllerClient* client : clients_)
        client->UpdateFromFrameController();
}
