#pragma once

#include "platform/ShellItemInfo.h"
#include "platform/SystemImageList.h"

// The process's two system image lists (created on first use) and the index
// of an item's icon in them (the icon is added to both on first use).
HIMAGELIST SystemImageListOf(bool small);
int SystemIconIndex(const IconChoice& icon);
