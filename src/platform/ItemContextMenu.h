#pragma once

#include <string>
#include <vector>

#include "platform/ShellMenu.h"

// The context menu of items of one folder: the verbs below at fixed command
// offsets, each offered when every item allows it.
//
//   offset verb         offered when
//   0      open         always; the default entry. More than ten items
//                       are opened after IShellPrompts::ConfirmOpen; files
//                       go to their programs as PlanOpening groups them
//   1      cut          all items can move (SFGAO_CANMOVE)
//   2      copy         all items can be copied (SFGAO_CANCOPY)
//   3      paste        one item, a folder with a path outside the Trash
//                       (greyed without files on the clipboard); pastes
//                       into that folder
//   4      delete       all items can be deleted (SFGAO_CANDELETE): to the
//                       Trash after a confirmation, or for good for items
//                       in the Trash (with their restore records)
//   5      restore      items of the Trash: each back where it was deleted
//                       from (RestoreFromTrash)
//   18     rename       one item that can be renamed, and CMF_CANRENAME;
//                       the control that shows the menu edits the name, so
//                       InvokeCommand answers E_NOTIMPL for it
//   19     properties   always
//   -      "Send To"    a submenu holding only its placeholder, when all
//                       items have paths
//
// InvokeCommand takes an offset or a verb's text; a verb that is not offered
// fails with E_INVALIDARG. Failures of the verbs themselves are reported to
// the person through ShellPrompts() and returned.

struct TContextMenuItem {
    std::string Path;      // full path; empty for places without one
    ULONG Attributes = 0;  // SFGAO_* of the item
};

constexpr UINT kRenameCommandOffset = 18;

// A new menu object with one reference for the caller. `folderPath` is the
// path of the folder that holds the items (empty for Computer).
IContextMenu* NewItemContextMenu(std::string folderPath, std::vector<TContextMenuItem> items);
