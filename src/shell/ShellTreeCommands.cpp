// The folder tree's commands on nodes: label editing as a rename on disk, the
// shortcut keys, the shell's context menu with its Send To entries, and
// verbs run on a node's item.

#include "shell/ShellTree.h"

#include <QMenu>
#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "framework/Cursor.h"
#include "platform/FolderScan.h"
#include "platform/ShellQMenu.h"
#include "shell/DisplayNames.h"
#include "shell/ShellCommands.h"
#include "shell/ShellError.h"
#include "shell/ShellPaths.h"
#include "shell/ShellShortcuts.h"
#include "shell/SystemImages.h"

namespace {

// The files of the Send To folder as its menu lists them: files and links (a
// link to a folder is how a folder target is put there), not hidden, by name.
std::vector<std::string> SendToEntries() {
    std::vector<FolderEntry> entries;
    ScanFolder(SpecialFolderPath(0, CSIDL_SENDTO), entries);
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries)
        if (entry.Name[0] != '.' &&
            (entry.Type == EntryType::File || entry.Type == EntryType::Link))
            names.push_back(entry.Name);
    std::sort(names.begin(), names.end());
    return names;
}

// Puts the Send To entries, each with its small system icon, in place of
// the placeholder, with ids 1, 2, ...; without entries the submenu goes.
void FillSendTo(TShellMenu& menu, const std::vector<std::string>& entries) {
    TShellMenu* sendTo = menu.SendToMenu();
    if (sendTo == nullptr)
        return;
    if (entries.empty())
        return menu.RemoveSendTo();
    sendTo->Items.clear();
    const std::string folder = SpecialFolderPath(0, CSIDL_SENDTO);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        sendTo->Items.push_back(MenuCommand(static_cast<UINT>(i + 1), entries[i]));
        LPITEMIDLIST entry = nullptr;
        if (SUCCEEDED(PathToIdList(folder + "/" + entries[i], &entry)))
            sendTo->Items.back().ImageIndex = GetSysIconIndex(entry, SHGFI_SMALLICON);
        FreeIdList(entry);
    }
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool TRzCustomShellTree::CanEditNode(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    return (data == nullptr || data->CanRename()) && TRzCustomTreeView::CanEditNode(node);
}

// The name as the shell gives it for renaming, not the caption.
std::string TRzCustomShellTree::NodeEditText(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    if (data == nullptr || data->ParentFolder() == nullptr)
        return TRzCustomTreeView::NodeEditText(node);
    return GetDisplayName(data->ParentFolder(), data->RelativeIdList(), nkForEditing);
}

void TRzCustomShellTree::EditingChanged(bool editing) {
    SetEditing(editing);
}

// A new caption renames the item on disk; on success the node and everything
// below it follow the new name and the level is sorted again. A name left as
// it was is no rename: nothing is asked of the disk, so no change
// notification of the tree's own is awaited either.
bool TRzCustomShellTree::NodeEdited(TTreeNode* node, std::string& caption) {
    caption = Trimmed(caption);
    TRzShellTreeData* data = ShellData(node);
    if (data == nullptr)
        return TRzCustomTreeView::NodeEdited(node, caption);
    IShellFolder* parent = data->ParentFolder();
    if (parent == nullptr)
        return false;
    TRzCustomTreeView::NodeEdited(node, caption);
    if (caption == NodeEditText(node))
        return false;
    TCursorScope hourglass(crHourGlass);
    skipNextChange_ = true;
    bool renamed = false;
    {
        LockScope lock(*this);
        LPITEMIDLIST newItem = nullptr;
        // A refusal is reported to the person through the owner window.
        renamed = SUCCEEDED(parent->SetNameOf(OwnerWindow(), data->RelativeIdList(),
                                              caption.c_str(), SHGDN_INFOLDER, &newItem));
        TOwnedIdList owned(newItem);
        if (renamed)
            Renamed(node, owned.get());
        else
            skipNextChange_ = false;
    }
    if (renamed)
        caption = GetDisplayName(parent, data->RelativeIdList(), SHGDN_INFOLDER);
    return renamed;
}

void TRzCustomShellTree::Renamed(TTreeNode* node, LPCITEMIDLIST newItem) {
    TRzShellTreeData* data = ShellData(node);
    if (newItem != nullptr)
        data->ReplaceItem(newItem);
    std::deque<TTreeNode*> below;
    for (int i = 0; i < node->childCount(); ++i)
        below.push_back(node->Child(i));
    while (!below.empty()) {
        TTreeNode* next = below.front();
        below.pop_front();
        if (TRzShellTreeData* nextData = ShellData(next))
            nextData->ForgetCachedValues();
        for (int i = 0; i < next->childCount(); ++i)
            below.push_back(next->Child(i));
    }
    SortChildren(node->Parent(), false);
    // The shown folder follows when it lies at or under the renamed node.
    TTreeNode* selected = Selected();
    if (selected != nullptr && selected->HasAncestor(node)) {
        selectedFolder_.SetIdList(ShellData(selected)->AbsoluteIdList());
        if (shellList_ != nullptr)
            shellList_->SetFolderIdList(ShellData(selected)->AbsoluteIdList());
    }
}

bool TRzCustomShellTree::KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (IsEditing())
        return false;
    TTreeNode* node = Selected();
    // The view's own `*` opens everything below at once, loops and all.
    if (key == Qt::Key_Asterisk) {
        ExpandAllBelow(node);
        return true;
    }
    if (key == Qt::Key_Escape && ExpandingAll()) {
        StopExpandAll();
        return true;
    }
    if (!(options_ & stoDefaultKeyHandling))
        return false;
    switch (ShellShortcutOf(key, modifiers)) {
        case TShellShortcut::None:
            return false;
        case TShellShortcut::SelectAll:
            break;
        case TShellShortcut::Rename:
            EditNode(node);
            break;
        case TShellShortcut::Refresh:
            RefreshTree();
            break;
        case TShellShortcut::Cut:
            InvokeNodeVerb(node, "cut");
            break;
        case TShellShortcut::Copy:
            InvokeNodeVerb(node, "copy");
            break;
        case TShellShortcut::Paste:
            InvokeNodeVerb(node, "paste");
            RefreshTree();
            break;
        case TShellShortcut::Delete:
            InvokeNodeVerb(node, "delete");
            RefreshTree();
            break;
    }
    return true;
}

ComPtr<IContextMenu> TRzCustomShellTree::NodeMenu(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    if (data == nullptr || data->ParentData() == nullptr || data->ParentFolder() == nullptr ||
        IdListCount(data->AbsoluteIdList()) == 0)
        return {};
    ComPtr<IContextMenu> menu;
    LPCITEMIDLIST item = data->RelativeIdList();
    const HRESULT hr =
        data->ParentFolder()->GetUIObjectOf(0, 1, &item, IID_IContextMenu, nullptr, menu.PutVoid());
    if (FAILED(hr))
        throw EShellError(hr);
    return menu;
}

void TRzCustomShellTree::InvokeNodeVerb(TTreeNode* node, const std::string& verb) {
    ComPtr<IContextMenu> menu = NodeMenu(node);
    if (!menu)
        return;
    TShellMenu entries;
    if (FAILED(
            menu->QueryContextMenu(&entries, 0, kFirstMenuCommand, kLastMenuCommand, CMF_EXPLORE)))
        return;
    if (const UINT id = MenuCommandOfVerb(menu.Get(), entries, verb))
        InvokeMenuVerb(menu.Get(), MakeIntVerb(id - kFirstMenuCommand));
}

void TRzCustomShellTree::NodeContextMenu(TTreeNode* node, TPoint pos) {
    if (!(options_ & stoContextMenus)) {
        TRzCustomTreeView::NodeContextMenu(node, pos);
        return;
    }
    QMenu* replaced = nullptr;
    if (OnNodeContextMenu)
        OnNodeContextMenu(this, node, pos, replaced);
    ShowShellMenu(node, pos);
}

void TRzCustomShellTree::ShowShellMenu(TTreeNode* node, TPoint pos) {
    ComPtr<IContextMenu> menu = NodeMenu(node);
    if (!menu)
        return;
    TShellMenu entries;
    const HRESULT hr = menu->QueryContextMenu(&entries, 0, kFirstMenuCommand, kLastMenuCommand,
                                              CMF_EXPLORE | CMF_CANRENAME);
    if (FAILED(hr))
        throw EShellError(hr);
    // The entries chosen from are the ones shown, whatever the folder holds
    // by the time the menu closes.
    const std::vector<std::string> sendTo = SendToEntries();
    FillSendTo(entries, sendTo);
    QMenu popup(Widget());
    FillQMenu(popup, entries);
    QObject::connect(&popup, &QMenu::hovered, [this, &menu](QAction* action) {
        if (OnPopupHint)
            OnPopupHint(this, MenuHelpText(menu.Get(), CommandOf(action)));
    });
    UINT id = 0;
    {
        SetBusy(true);
        struct Idle {
            TRzCustomShellTree* tree;
            ~Idle() { tree->SetBusy(false); }
        } idle{this};
        id = CommandOf(popup.exec(Widget()->mapToGlobal(QPoint(pos.X, pos.Y))));
    }
    if (id == 0)
        return;
    if (id < kFirstMenuCommand) {
        if (id <= sendTo.size())
            SendTo(node, sendTo[id - 1]);
    } else if (id == kFirstMenuCommand + kRenameCommandOffset) {
        EditNode(node);
    } else if (static_cast<int>(id) == entries.DefaultId() && IsFolderNode(node)) {
        ShowNode(node);
    } else {
        InvokeMenuVerb(menu.Get(), MakeIntVerb(id - kFirstMenuCommand));
        RefreshTree();
    }
}

bool TRzCustomShellTree::IsFolderNode(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    if (data == nullptr || data->ParentFolder() == nullptr)
        return false;
    LPCITEMIDLIST item = data->RelativeIdList();
    ULONG attributes = SFGAO_FOLDER;
    return SUCCEEDED(data->ParentFolder()->GetAttributesOf(1, &item, &attributes)) &&
           (attributes & SFGAO_FOLDER);
}

// Opening a folder node shows it: it becomes the selected node at once, so
// the list shows that folder.
void TRzCustomShellTree::ShowNode(TTreeNode* node) {
    immediate_ = true;
    SetSelected(node);
    MakeVisible(node);
}

void TRzCustomShellTree::SendTo(TTreeNode* node, const std::string& entry) {
    TRzShellTreeData* data = ShellData(node);
    // A Send To folder gone meanwhile leaves nothing to send to (its empty
    // path would name an entry in the root folder instead).
    const std::string folder = SpecialFolderPath(0, CSIDL_SENDTO);
    if (data == nullptr || folder.empty())
        return;
    LPITEMIDLIST entryList = nullptr;
    if (FAILED(PathToIdList(folder + "/" + entry, &entryList)))
        return;
    TOwnedIdList ownedEntry(entryList);
    ComPtr<IDropTarget> drop;
    if (FAILED(GetUIObjectOfPlace(entryList, IID_IDropTarget, drop.PutVoid())))
        return;
    ComPtr<IDataObject> object = NodeDataObject(node);
    DWORD effect = DROPEFFECT_COPY;
    if (SUCCEEDED(drop->DragEnter(object.Get(), MK_LBUTTON, {0, 0}, &effect)) &&
        effect != DROPEFFECT_NONE)
        drop->Drop(object.Get(), MK_LBUTTON, {0, 0}, &effect);
    else
        drop->DragLeave();
}
