#pragma once

#include <string>

#include "shell/IdLists.h"

// Names of items as the shell shows them.

// Which name GetDisplayName asks for.
enum TNameKind : int {
    nkNormal = 0,      // SHGDN_NORMAL
    nkInFolder = 1,    // SHGDN_INFOLDER
    nkForParsing = 2,  // SHGDN_FORPARSING: the full path for file-system items
    nkForEditing = 3,  // SHGDN_INFOLDER | SHGDN_FOREDITING
};

// The text a successful GetDisplayNameOf or GetDetailsOf left in `name`
// (an offset counts from `item`), releasing what the call allocated.
std::string TakeName(STRRET& name, LPCITEMIDLIST item);

// The name of a relative item inside `folder` (the desktop when null). Never
// fails: a name the folder cannot give is "".
std::string GetDisplayName(IShellFolder* folder, LPCITEMIDLIST item, int kind);

// The in-folder name of an absolute list's last item (the desktop's own name
// for an empty list). Raises EShellError when the parent cannot be bound.
std::string GetAbsDisplayName(LPCITEMIDLIST list);
