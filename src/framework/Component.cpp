#include "framework/Component.h"

#include <algorithm>
#include <cctype>

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_ != nullptr) {
        owner_->components_.push_back(this);
        loading_ = owner_->loading_;
        NotifyOwnerTree(this, opInsert);
    }
}

TComponent::~TComponent() {
    destroying_ = true;
    while (!components_.empty())
        delete components_.back();
    if (owner_ != nullptr) {
        std::erase(owner_->components_, this);
        NotifyOwnerTree(this, opRemove);
    }
    while (!freeNotifies_.empty()) {
        TComponent* watcher = freeNotifies_.back();
        RemoveFreeNotification(watcher);
        if (!watcher->destroying_)
            watcher->Notification(this, opRemove);
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
        freeNotifies_.push_back(component);
        component->freeNotifies_.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (component == nullptr)
        return;
    std::erase(freeNotifies_, component);
    std::erase(component->freeNotifies_, this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* component : components_)
        if (!name.empty() && SameName(component->name_, name))
            return component;
    return nullptr;
}

void TComponent::BeginLoading() {
    loading_ = true;
    for (TComponent* component : components_)
        component->BeginLoading();
}

void TComponent::EndLoading() {
    loading_ = false;
    Loaded();
    for (TComponent* component : components_)
        component->EndLoading();
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::NotifyOwnerTree(TComponent* component, TOperation operation) {
    if (!owner_->destroying_)
        owner_->Notification(component, operation);
    for (TComponent* sibling : owner_->components_)
        if (sibling != component && !sibling->destroying_)
            sibling->Notification(component, operation);
}
