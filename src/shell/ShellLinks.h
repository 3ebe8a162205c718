#pragma once

#include "shell/IdLists.h"

class TComponent;
class TRzShellLocator;
class IShellTreeLink;

// The folder tree drives a linked file list, and the list reports its own
// navigation back to the tree. Each side sees the other only through these two
// interfaces, so either can be tested against a small recording double.
//
// Linking: the tree's ShellList setter calls SetLinkedTree(this) on the new
// list and SetLinkedTree(nullptr) on the one it drops; both sides ask for a
// free notification on the other's LinkComponent() and clear their reference
// when it goes.

// What the folder tree needs from the file list it drives.
class IShellListLink {
  public:
    // The list as a component, for free notifications.
    virtual TComponent* LinkComponent() = 0;
    // Records the tree whose ShellList this list is (null: no tree).
    virtual void SetLinkedTree(IShellTreeLink* tree) = 0;
    // Folder := `place` (the tree's SelectedFolder); the list refills on a change.
    virtual void AssignFolder(TRzShellLocator* place) = 0;
    // Folder.IdList := `absolute` (a copy is kept); the list refills on a change.
    virtual void SetFolderIdList(LPCITEMIDLIST absolute) = 0;
    // Carries out the list's own pending delayed action now, if any.
    virtual void FlushPendingAction() = 0;
    // The list's hide-folders option: select-by-id-list then also expands the
    // last node, since the list will not show its sub-folders.
    virtual bool HidesFolders() const = 0;
    // True while the list is read from its form description.
    virtual bool IsLoading() const = 0;

  protected:
    ~IShellListLink() = default;
};

// What the file list needs from the folder tree that drives it.
class IShellTreeLink {
  public:
    virtual TComponent* LinkComponent() = 0;
    // The tree's SelectedFolder; the list writes it when it navigates by itself
    // and the tree's reaction comes back as a Folder write.
    virtual TRzShellLocator* SelectedFolder() = 0;
    // Selects the node `levels` above the selected one at once (go up).
    virtual void SelectAncestor(int levels) = 0;
    // Carries out the tree's pending delayed selection now; with
    // `flushLinkedList` the list's own pending action is flushed first.
    virtual void FlushPending(bool flushLinkedList) = 0;

  protected:
    ~IShellTreeLink() = default;
};
