#include "shell/FolderWatches.h"

#include <algorithm>

void TFolderWatches::Hold(const std::string& folder) {
    THeld& held = held_[folder];
    if (++held.holders == 1)
        StartWatch(folder, held);
}

void TFolderWatches::Release(const std::string& folder) {
    auto it = held_.find(folder);
    if (it == held_.end() || --it->second.holders > 0)
        return;
    EndWatch(it->second);
    std::erase(waiting_, folder);
    held_.erase(it);
    GiveFreeSlots();
}

void TFolderWatches::SetFilter(DWORD filter) {
    if (filter == filter_)
        return;
    UnwatchAll();
    filter_ = filter;
    for (auto& [folder, held] : held_)
        StartWatch(folder, held);
}

void TFolderWatches::Stop() {
    UnwatchAll();
    thread_.reset();
}

bool TFolderWatches::IsWatchedForTest(const std::string& folder) const {
    auto it = held_.find(folder);
    return it != held_.end() && it->second.slot >= 0;
}

void TFolderWatches::StartWatch(const std::string& folder, THeld& held) {
    if (filter_ == 0)
        return;
    if (bySlot_.size() >= TChangeHandlerThread::kSlotCount) {
        waiting_.push_back(folder);
        return;
    }
    if (thread_ == nullptr)
        thread_ = std::make_unique<TChangeHandlerThread>(window_, message_);
    int slot = -1;
    if (!thread_->Watch(folder, filter_, false, slot))
        return;
    // The thread frees the slot of a folder that went away by itself; a slot
    // handed out again no longer names the old folder.
    if (auto old = bySlot_.find(slot); old != bySlot_.end())
        held_[old->second].slot = -1;
    bySlot_[slot] = folder;
    held.slot = slot;
}

void TFolderWatches::EndWatch(THeld& held) {
    if (held.slot < 0)
        return;
    thread_->Unwatch(held.slot);
    bySlot_.erase(held.slot);
    held.slot = -1;
}

void TFolderWatches::UnwatchAll() {
    if (thread_ != nullptr && !bySlot_.empty())
        thread_->UnwatchAll();
    bySlot_.clear();
    waiting_.clear();
    for (auto& entry : held_)
        entry.second.slot = -1;
}

void TFolderWatches::GiveFreeSlots() {
    while (!waiting_.empty() && bySlot_.size() < TChangeHandlerThread::kSlotCount) {
        const std::string folder = waiting_.front();
        waiting_.pop_front();
        StartWatch(folder, held_[folder]);
    }
}
