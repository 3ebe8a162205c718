#pragma once

#include <string>
#include <vector>

#include "platform/ShellInterfaces.h"

// The full paths a drag or a paste carries: read from the data object's
// file-drop block, else from its text/uri-list. Paths without a usable last
// component (ItemNameOf) are left out; empty when it carries none.
std::vector<std::string> DroppedPaths(IDataObject* data);
