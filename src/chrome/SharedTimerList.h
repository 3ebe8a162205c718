#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/Timer.h"

// A process-wide list of clients that share one timer. The list is made when
// the first client registers and freed when the last one leaves. `List`
// derives from this and handles the ticks in Tick().
template <typename List, typename Client>
class TSharedTimerList {
  public:
    // The list, or null while there are no clients.
    static List* Instance() { return instance_.get(); }

    static void Register(Client* client) {
        if (!instance_)
            instance_ = std::make_unique<List>();
        instance_->clients_.push_back(client);
    }

    static void Unregister(Client* client) {
        if (!instance_)
            return;
        std::erase(instance_->clients_, client);
        if (instance_->clients_.empty())
            instance_.reset();
    }

    // Calls `visit` for each client in registration order. A visit may free
    // clients (even the last one, and this list with it), so each client is
    // looked up again before its visit and nothing of the list outlives a
    // visit but the snapshot of who to visit.
    template <typename Visit>
    static void ForEachClient(Visit visit) {
        if (!instance_)
            return;
        for (Client* client : std::vector(instance_->clients_))
            if (IsRegistered(client))
                visit(client);
    }

    const std::vector<Client*>& Clients() const { return clients_; }
    TTimer& Timer() { return timer_; }

  protected:
    TSharedTimerList() {
        timer_.SetInterval(500);
        timer_.OnTimer = [this] { static_cast<List*>(this)->Tick(); };
    }

  private:
    static bool IsRegistered(const Client* client) {
        return instance_ &&
               std::ranges::find(instance_->clients_, client) != instance_->clients_.end();
    }

    static inline std::unique_ptr<List> instance_;
    std::vector<Client*> clients_;
    TTimer timer_;
};
