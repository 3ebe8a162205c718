#pragma once

#include "shell/IdLists.h"

class TRzCustomShellTree;

// The record behind one node of the folder tree, owned by the node. A root
// record holds an absolute list; every other record holds the one item that
// names its node inside the parent node's folder. The absolute list and the
// node's own folder are built on first need and kept until forgotten. The record
// owns both lists and holds a reference to each folder object it keeps.
//
// REQUIRES: a parent record outlives its children's records.
class TRzShellTreeData {
  public:
    explicit TRzShellTreeData(TRzCustomShellTree* tree) : tree_(tree) {}
    ~TRzShellTreeData();
    TRzShellTreeData(const TRzShellTreeData&) = delete;
    TRzShellTreeData& operator=(const TRzShellTreeData&) = delete;

    TRzCustomShellTree* Tree() const { return tree_; }
    TRzShellTreeData* ParentData() const { return parent_; }

    // With a parent: `list` is the node's one-item list. Without (the root):
    // `list` is the absolute list, and its last item becomes the relative list.
    // The record keeps copies.
    void SetLists(TRzShellTreeData* parent, LPCITEMIDLIST list);

    LPCITEMIDLIST RelativeIdList() const { return relative_; }
    // The parent's absolute list joined with the relative list (the root's
    // absolute list as given).
    LPCITEMIDLIST AbsoluteIdList();

    // The folder this node's item lies in: the parent record's own folder, or
    // for the root the parent found by splitting its absolute list (none when
    // that fails). Not an added reference.
    IShellFolder* ParentFolder();
    // This node's folder, bound on first need; none when binding fails. Raises
    // the shell error when the desktop cannot be had for a null absolute list.
    // Not an added reference.
    IShellFolder* OwnFolder();
    // The root's folder as the tree enumerates it; the record adds a reference.
    void SetOwnFolder(IShellFolder* folder) { ownFolder_ = ComPtr<IShellFolder>::Share(folder); }

    // After a rename: takes a copy of the new item and rebuilds the absolute
    // list at once.
    void ReplaceItem(LPCITEMIDLIST relative);
    // After an ancestor was renamed: drops the absolute list and the own folder.
    void ForgetCachedValues();

    // Whether the node may take a new name: not the root, not the desktop, and
    // its parent folder reports SFGAO_CANRENAME.
    bool CanRename();

  private:
    TRzCustomShellTree* tree_;
    TRzShellTreeData* parent_ = nullptr;
    LPITEMIDLIST relative_ = nullptr;
    LPITEMIDLIST absolute_ = nullptr;
    // The root's items before its last one, so that its absolute list can be
    // rebuilt like any other node's.
    LPITEMIDLIST rootAncestors_ = nullptr;
    ComPtr<IShellFolder> ownFolder_;
    ComPtr<IShellFolder> parentFolder_;
};
