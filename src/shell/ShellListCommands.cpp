// The file list's commands: opening items and going up, the shell verbs on
// the selection, the shortcut keys, the shell's context menu, and label
// editing as a rename on disk.

#include "shell/ShellList.h"

#include <sys/stat.h>

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "framework/Application.h"
#include "framework/Cursor.h"
#include "platform/ShellLinkFile.h"
#include "platform/ShellQMenu.h"
#include "shell/DisplayNames.h"
#include "shell/FolderRefresh.h"
#include "shell/IdListArray.h"
#include "shell/ShellCommands.h"
#include "shell/ShellPaths.h"
#include "shell/ShellShortcuts.h"

void TRzCustomShellList::RunPendingRefreshes() {
    if (linkedTree_ != nullptr)
        linkedTree_->FlushPending(false);
    FlushPendingAction();
}

void TRzCustomShellList::GoInto(LPCITEMIDLIST absolute) {
    if (HasOption(sloDontChangeFolder))
        return;
    // The target may belong to a record that goes with the items.
    TOwnedIdList target(CopyIdList(nullptr, absolute));
    ClearSelection();
    BeginUpdate();
    ClearItems();
    EndUpdate();
    if (linkedTree_ != nullptr)
        linkedTree_->SelectedFolder()->SetIdList(target.get());
    else
        folder_.SetIdList(target.get());
}

// A shortcut whose target is a folder here opens that folder.
bool TRzCustomShellList::OpenLinkedFolder(const std::string& linkFile) {
    std::string target;
    struct stat info {};
    if (!ResolveShellLink(linkFile, target) || stat(target.c_str(), &info) != 0 ||
        !S_ISDIR(info.st_mode))
        return false;
    LPITEMIDLIST list = nullptr;
    if (FAILED(PathToIdList(target, &list)))
        return false;
    TOwnedIdList owned(list);
    GoInto(owned.get());
    return true;
}

void TRzCustomShellList::OpenItem(int index) {
    RunPendingRefreshes();
    TRzShellListData* record = RecordOf(Item(index).Data);
    if (record == nullptr) {
        DblClickOpen();
        return;
    }
    TCursorScope hourglass(crHourGlass);
    if (record->IsFolder()) {
        GoInto(record->AbsIdList());
        return;
    }
    if (record->IsLink() && OpenLinkedFolder(record->PathName()))
        return;
    if (DblClickOpen())
        RunDefaultCommand({record->RelIdList()});
}

void TRzCustomShellList::OpenSelected() {
    RunPendingRefreshes();
    const std::vector<LPCITEMIDLIST> items = SelectedRelIdLists();
    if (items.size() < 2) {
        const std::vector<int> selected = SelectedIndexes();
        if (!selected.empty())
            OpenItem(selected.front());
        return;
    }
    if (DblClickOpen())
        RunDefaultCommand(items);
}

void TRzCustomShellList::GoUp() {
    if (HasOption(sloDontChangeFolder))
        return;
    if (linkedTree_ != nullptr) {
        linkedTree_->SelectAncestor(1);
        return;
    }
    TRzIdListArray shown(folderIdList_);
    if (shown.Count() >= 1)
        folder_.SetIdList(shown.Ancestor(1));
}

void TRzCustomShellList::SelectAll() {
    SetSelectedRange(0, ItemCount() - 1, true);
}

void TRzCustomShellList::ExecuteVerb(const std::string& verb) {
    if (ComPtr<IContextMenu> menu = ItemsMenu(SelectedRelIdLists()))
        InvokeMenuVerb(menu.Get(), verb.c_str());
}

void TRzCustomShellList::Paste() {
    ComPtr<IContextMenu> menu;
    if (SUCCEEDED(GetUIObjectOfPlace(folderIdList_, IID_IContextMenu, menu.PutVoid())))
        InvokeMenuVerb(menu.Get(), "paste");
}

std::vector<LPCITEMIDLIST> TRzCustomShellList::SelectedRelIdLists() const {
    std::vector<LPCITEMIDLIST> lists;
    for (int index : SelectedIndexes())
        if (TRzShellListData* record = RecordOf(Item(index).Data))
            lists.push_back(record->RelIdList());
    return lists;
}

ComPtr<IContextMenu> TRzCustomShellList::ItemsMenu(const std::vector<LPCITEMIDLIST>& items) const {
    ComPtr<IContextMenu> menu;
    if (items.empty() || !folderObject_ ||
        FAILED(folderObject_->GetUIObjectOf(0, static_cast<UINT>(items.size()), items.data(),
                                            IID_IContextMenu, nullptr, menu.PutVoid())))
        return {};
    return menu;
}

// The default entry of the items' menu, when the menu offers one.
void TRzCustomShellList::RunDefaultCommand(const std::vector<LPCITEMIDLIST>& items) {
    ComPtr<IContextMenu> menu = ItemsMenu(items);
    if (!menu)
        return;
    TShellMenu entries;
    menu->QueryContextMenu(&entries, 0, kFirstMenuCommand, kLastMenuCommand, CMF_EXPLORE);
    const int id = entries.DefaultId();
    if (id >= static_cast<int>(kFirstMenuCommand))
        InvokeMenuVerb(menu.Get(), MakeIntVerb(static_cast<UINT>(id) - kFirstMenuCommand));
}

// ------------------------------------------------------------- keys and menus

bool TRzCustomShellList::KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (TRzCustomListView::KeyDown(key, modifiers))
        return true;
    if (!HasOption(sloDefaultKeyHandling) || IsEditing())
        return false;
    const Qt::KeyboardModifiers chord = modifiers & (Qt::ControlModifier | Qt::AltModifier);
    if (chord == Qt::NoModifier && key == Qt::Key_Backspace) {
        Application->HandleExceptions([this] { GoUp(); });
        return true;
    }
    if (chord == Qt::NoModifier && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        Application->HandleExceptions([this] { OpenSelected(); });
        return true;
    }
    const TShellShortcut shortcut = ShellShortcutOf(key, modifiers);
    if (shortcut == TShellShortcut::None)
        return false;
    Application->HandleExceptions([this, shortcut] {
        switch (shortcut) {
            case TShellShortcut::None:
                break;
            case TShellShortcut::SelectAll:
                SelectAll();
                break;
            case TShellShortcut::Refresh:
                FillList();
                break;
            case TShellShortcut::Copy:
                ExecuteVerb("copy");
                break;
            case TShellShortcut::Cut:
                ExecuteVerb("cut");
                break;
            case TShellShortcut::Paste:
                Paste();
                RefreshItems();
                break;
            case TShellShortcut::Rename:
                EditLabel(FocusedIndex());
                break;
            case TShellShortcut::Delete:
                ExecuteVerb("delete");
                RefreshItems();
                break;
        }
    });
    return true;
}

void TRzCustomShellList::ItemContextMenu(TListItem* item, QPoint point) {
    TPoint pos{point.x(), point.y()};
    QMenu* menu = nullptr;
    if (OnItemContextMenu)
        OnItemContextMenu(this, item, pos, menu);
    if (HasOption(sloContextMenus) && !busy_) {
        Application->HandleExceptions([&] { ShowShellMenu(item, QPoint(pos.X, pos.Y)); });
        return;
    }
    if (menu != nullptr)
        menu->exec(Widget()->mapToGlobal(QPoint(pos.X, pos.Y)));
}

void TRzCustomShellList::ShowShellMenu(TListItem* focused, QPoint point) {
    ComPtr<IContextMenu> menu = ItemsMenu(SelectedRelIdLists());
    if (!menu)
        return;
    TRzShellListData* record = focused != nullptr ? RecordOf(focused->Data) : nullptr;
    UINT flags = CMF_EXPLORE;
    if (record != nullptr && !record->PathName().empty() && !ReadOnly())
        flags |= CMF_CANRENAME;
    TShellMenu entries;
    if (FAILED(menu->QueryContextMenu(&entries, 0, kFirstMenuCommand, kLastMenuCommand, flags)))
        return;
    // The list fills no Send To submenu, and an empty one is not offered.
    entries.RemoveSendTo();
    QMenu popup(Widget());
    FillQMenu(popup, entries);
    std::vector<TMenuCommand> own;
    if (OnMenuCommands)
        OnMenuCommands(this, own);
    std::vector<QAction*> ownActions;
    if (!own.empty())
        popup.addSeparator();
    for (const TMenuCommand& command : own)
        ownActions.push_back(popup.addAction(QString::fromStdString(command.Caption)));
    QObject::connect(&popup, &QMenu::hovered,
                     [this, &menu](QAction* action) { PopupHint(menu.Get(), CommandOf(action)); });
    QAction* chosen = popup.exec(Widget()->mapToGlobal(point));
    const auto ownChosen = std::find(ownActions.begin(), ownActions.end(), chosen);
    if (chosen != nullptr && ownChosen != ownActions.end())
        return own[ownChosen - ownActions.begin()].Run();
    const UINT id = CommandOf(chosen);
    RunMenuCommand(menu.Get(), id, static_cast<int>(id) == entries.DefaultId(), focused);
}

// The default entry does what Enter does (a folder is shown here), the
// rename entry edits the label here; other entries are the menu's own.
void TRzCustomShellList::RunMenuCommand(IContextMenu* menu, UINT id, bool isDefault,
                                        TListItem* focused) {
    if (id < kFirstMenuCommand)
        return;
    if (isDefault)
        return OpenSelected();
    if (id == kFirstMenuCommand + kRenameCommandOffset) {
        if (focused != nullptr)
            EditLabel(FocusedIndex());
        return;
    }
    InvokeMenuVerb(menu, MakeIntVerb(id - kFirstMenuCommand));
}

void TRzCustomShellList::PopupHint(IContextMenu* menu, UINT id) {
    if (OnPopupHint)
        OnPopupHint(this, MenuHelpText(menu, id));
}

void TRzCustomShellList::ItemOpen(int) {
    Application->HandleExceptions([this] { OpenSelected(); });
}

bool TRzCustomShellList::CanEditLabel(TListItem& item) {
    TRzShellListData* record = RecordOf(item.Data);
    return record == nullptr || (record->Attributes() & SFGAO_CANRENAME) != 0;
}

// The name as the shell gives it for renaming, not the caption.
std::string TRzCustomShellList::ItemEditText(TListItem& item) {
    TRzShellListData* record = RecordOf(item.Data);
    if (record == nullptr || !folderObject_)
        return TRzCustomListView::ItemEditText(item);
    return GetDisplayName(folderObject_.Get(), record->RelIdList(), nkForEditing);
}

// A label edit renames the item on disk; the caption follows only a rename
// that worked, and the change the rename causes is not answered. A name left
// as it was is no rename (it would cause no change to skip).
bool TRzCustomShellList::ItemEdited(TListItem& item, std::string& caption) {
    TRzCustomListView::ItemEdited(item, caption);
    TRzShellListData* record = RecordOf(item.Data);
    if (record == nullptr || !folderObject_)
        return true;
    if (caption == ItemEditText(item))
        return false;
    // A refusal is reported to the person through the owner window.
    LPITEMIDLIST renamed = nullptr;
    if (FAILED(folderObject_->SetNameOf(Handle(), record->RelIdList(), caption.c_str(),
                                        SHGDN_INFOLDER, &renamed)))
        return false;
    skipNextChange_ = true;
    record->ReplaceRelIdList(renamed);
    caption = record->DisplayName();
    // What waited for the edit runs once the editor has closed.
    if (refreshPending_)
        Window().SetTimer(kRefreshTimer, kChangeDelayFocusedMs);
    return true;
}

bool TRzCustomShellList::DblClickOpen() {
    bool handled = false;
    if (OnDblClickOpen)
        OnDblClickOpen(this, handled);
    return !handled;
}
