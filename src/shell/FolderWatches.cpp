#include "shell/FolderWatches.h"

#include <map>
#include <set>

void TFolderWatches::Watch(const std::vector<std::string>& folders, DWORD filter) {
    if (filter != filter_) {
        Clear();
        filter_ = filter;
    }
    std::set<std::string> wanted(folders.begin(), folders.end());
    for (auto it = slots_.begin(); it != slots_.end();) {
        if (wanted.count(it->first) != 0) {
            ++it;
            continue;
        }
        thread_->Unwatch(it->second);
        it = slots_.erase(it);
    }
    for (const std::string& folder : folders) {
        if (slots_.size() >= TChangeHandlerThread::kSlotCount)
            break;
        if (slots_.count(folder) != 0)
            continue;
        if (thread_ == nullptr)
            thread_ = std::make_unique<TChangeHandlerThread>(window_, message_);
        int slot = -1;
        if (thread_->Watch(folder, filter_, false, slot))
            Hold(folder, slot);
    }
}

// The thread frees the slot of a folder that went away by itself; a slot
// handed out again no longer names the old folder.
void TFolderWatches::Hold(const std::string& folder, int slot) {
    std::erase_if(slots_, [slot](const auto& entry) { return entry.second == slot; });
    slots_[folder] = slot;
}

void TFolderWatches::Clear() {
    if (thread_ != nullptr && !slots_.empty())
        thread_->UnwatchAll();
    slots_.clear();
}

void TFolderWatches::Stop() {
    slots_.clear();
    thread_.reset();
}
