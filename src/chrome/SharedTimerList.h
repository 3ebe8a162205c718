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

    const std::vector<Client*>& Clients() const { return clients_; }
    TTimer& Timer() { return timer_; }

  protected:
    TSharedTimerList() {
        timer_.SetInterval(500);
        timer_.OnTimer = [this] { static_cast<List*>(this)->Tick(); };
    }

  private:
    static inline std::unique_ptr<List> instance_;
    std::vector<Client*> clients_;
    TTimer timer_;
};
