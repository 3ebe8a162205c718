#pragma once

#include "platform/SystemImageList.h"
#include "shell/IdLists.h"

// Icons of places, as indexes into the process's system image lists.

// The system image list index of an absolute list (null is the desktop).
// `flags` adds SHGFI_SMALLICON (1) and SHGFI_OPENICON (2) as wanted.
int GetSysIconIndex(LPCITEMIDLIST list, UINT flags);

// The small (size 0) or large (size 1) system image list. The first call on an
// NT-class system with common controls 4.71 or later puts the shared and link
// pictures into both lists as overlays 1 and 2.
HIMAGELIST GetSystemImageList(int size);
