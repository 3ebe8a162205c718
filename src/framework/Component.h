#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/Object.h"

// Components: named objects in an ownership tree.
//
// Ownership: a component frees the components it owns (its Owner's list),
// last created first. The dying component leaves its owner's list and its
// owner's components are told (Notification with opRemove) while it is being
// destroyed, so that references to it can be cleared.

enum TOperation { opInsert, opRemove };

// Loading: while a form description's values are applied, components are
// marked as loading (setters then skip derived work); Loaded re-applies it.
class TComponent : public TObject {
  public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }
    // The owned component with that name (case-insensitive), or null.
    TComponent* FindComponent(const std::string& name) const;

    bool Loading() const { return loading_; }
    bool Destroying() const { return destroying_; }
    // Expires when this component is destroyed. An event handler may free
    // the component that runs it (or its parent, or its form), so code that
    // goes on touching the component after a handler checks this first.
    std::weak_ptr<void> Lifetime() const { return lifetime_; }

    // Asks to be told (Notification with opRemove) when `component` is
    // destroyed, whoever owns it, so that a reference to it can be cleared.
    // The request is mutual and ends when either of the two goes.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Marks this component and all it owns as loading.
    void BeginLoading();
    // Clears the mark and calls Loaded on this component, then on every
    // component it owns, in creation order.
    void EndLoading();

  protected:
    virtual void Loaded() {}
    // Another component of the same owner, or one this component asked for
    // with FreeNotification, is being inserted or destroyed.
    virtual void Notification(TComponent* component, TOperation operation);
    // Call first thing in the destructor of a class whose Notification or
    // children must not see it half destroyed.
    void MarkDestroying() { destroying_ = true; }

  private:
    void NotifyOwnerTree(TComponent* component, TOperation operation);

    std::string name_;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool loading_ = false;
    bool destroying_ = false;
    std::shared_ptr<void> lifetime_ = std::make_shared<char>();
};
