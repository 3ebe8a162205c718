// `*` on the folder tree: every level below a node opened breadth first, in
// slices that leave the event loop turning, so that a deep or looping folder
// structure never freezes the window.

#include <sys/stat.h>

#include <QCoreApplication>
#include <QLocale>
#include <chrono>

#include "shell/ShellPaths.h"
#include "shell/ShellTree.h"

namespace {

constexpr auto kSliceTime = std::chrono::milliseconds(8);

}  // namespace

void TRzCustomShellTree::ExpandAllBelow(TTreeNode* node) {
    StopExpandAll();
    TRzShellTreeData* data = ShellData(node);
    if (data == nullptr)
        return;
    struct stat start {};
    const std::string path = IdListToPath(data->AbsoluteIdList());
    expandAllDevice_ = !path.empty() && stat(path.c_str(), &start) == 0 ? start.st_dev : 0;
    expandAllQueue_ = {node};
    expandAllCount_ = 0;
    expandAllTimer_.start(0);
}

void TRzCustomShellTree::StopExpandAll() {
    expandAllTimer_.stop();
    expandAllQueue_.clear();
}

void TRzCustomShellTree::ExpandAllSlice() {
    const auto end = std::chrono::steady_clock::now() + kSliceTime;
    while (!expandAllQueue_.empty() && std::chrono::steady_clock::now() < end) {
        TTreeNode* node = expandAllQueue_.front();
        expandAllQueue_.pop_front();
        if (!OpensInExpandAll(node))
            continue;
        Expand(node);
        if (++expandAllCount_ >= expandAllCap_) {
            StopExpandAll();
            if (OnStatusText)
                OnStatusText(this, QCoreApplication::translate(
                                       "TRzCustomShellTree",
                                       "Stopped after opening %1 folders; press * on a folder "
                                       "to open more below it.")
                                       .arg(QLocale().toString(expandAllCap_))
                                       .toStdString());
            return;
        }
        for (int i = 0; i < node->childCount(); ++i)
            expandAllQueue_.push_back(node->Child(i));
    }
    if (expandAllQueue_.empty())
        StopExpandAll();
}

// A folder node on the starting node's file system that is no link (the
// starting node itself opens whatever it is). Places without a path (the
// computer) open; their mounted drives then lie on other file systems.
bool TRzCustomShellTree::OpensInExpandAll(TTreeNode* node) const {
    TRzShellTreeData* data = ShellData(node);
    if (data == nullptr || !node->HasChildren())
        return false;
    if (expandAllCount_ == 0)
        return true;
    const std::string path = IdListToPath(data->AbsoluteIdList());
    if (path.empty())
        return true;
    struct stat link {};
    return lstat(path.c_str(), &link) == 0 && S_ISDIR(link.st_mode) &&
           (expandAllDevice_ == 0 || link.st_dev == expandAllDevice_);
}
