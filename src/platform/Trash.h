#pragma once

#include <string>

#include "platform/Com.h"
#include "platform/FileOperations.h"

// Moving items to the Trash, laid out as desktops share it:
//
//   <trash>/files/<name>              the item itself, moved there whole
//   <trash>/info/<name>.trashinfo     "[Trash Info]\n"
//                                     "Path=<original path, URI-escaped>\n"
//                                     "DeletionDate=YYYY-MM-DDThh:mm:ss\n"
//
// The home trash is $XDG_DATA_HOME/Trash (made, mode 0700, when missing). An
// item on another file system goes to the trash at the top of its mount,
// <mount>/.Trash-<uid>, with Path relative to the mount. <name> is the item's
// name, numbered "name (2)", ... when taken (names too long for the info file
// are shortened); the info file is made first, exclusively, so two deletions
// never claim one name.

// Moves the item at the full path to the Trash. On failure nothing is moved
// and no info file stays behind; a trash's own item is refused (E_INVALIDARG).
HRESULT MoveToTrash(const std::string& path);

// MoveToTrash, told to the progress of the work it is part of.
HRESULT TrashItem(const std::string& path, TOperationProgress& progress);

// Puts an item of the home Trash (a full path in its files folder) back
// where its record says it came from, under the name it had, and removes the
// record; `original` gets that place. A folder it came from that is gone is
// made again; a place that is taken meanwhile is never overwritten (EEXIST).
// An item without a readable record, or whose record names no absolute path,
// stays (ENOENT, EINVAL).
HRESULT RestoreFromTrash(const std::string& path, std::string& original);

// Whether the item lies in a trash (the home trash, with its files and info
// records, or a mount's .Trash-<uid> or .Trash) or holds the home trash:
// such an item never goes to the Trash. The item's folders are resolved, so
// other spellings of a path and links to its folders are seen through.
bool IsTrashOrHoldsIt(const std::string& path);

// The info file's content for an item deleted at `when` (seconds since the
// epoch, local time written). `path` is written as given.
std::string TrashInfoText(const std::string& path, long long when);
