#pragma once

#include <string>

#include "platform/ShellItems.h"

// What the namespace tells about one item of a folder: its path, attributes,
// display names, order, detail texts, type name and icon. `folderPath` is the
// file-system path of the folder that holds the item (empty for Computer).
// Items are one-item lists already checked with KindOf; the empty list stands
// for the desktop itself.

// The item's file-system path, empty when it has none (Computer).
std::string ItemPath(const std::string& folderPath, LPCITEMIDLIST item);

// Whether an entry lists as a folder: a directory or a link to one.
bool IsFolderEntry(const std::string& folderPath, const EntryFacts& entry);

// Whether the folder is the Trash's. Its items are not offered for renaming:
// an item's name there is also the name of its .trashinfo record, and a rename
// would leave that record behind and the item impossible to restore.
bool IsTrashFolder(const std::string& folderPath);

// Answers the attributes asked for in `request` (SFGAO_*). Whether the folder
// is writable is asked of the disk once and kept in `folderWritable`
// (-1 = not asked yet).
ULONG ItemAttributes(const std::string& folderPath, LPCITEMIDLIST item, ULONG request,
                     int& folderWritable);

// A display name by SHGDN_* flags: entries' names as STRRET_OFFSET, parsing
// paths as STRRET_WSTR, fixed names as STRRET_CSTR.
void ItemDisplayName(const std::string& folderPath, LPCITEMIDLIST item, DWORD flags, STRRET* name);

// What an item of a folder sorts by, decoded from its bytes once: a sort of
// a whole level makes one view per item and compares the views, not the
// bytes. Its texts point into the item or live as long as the process.
struct ItemSortView {
    DecodedItem Item;           // Kind None: a malformed item
    int Group = -1;             // virtual folders, drives, folders, files
    std::string_view Name;      // a drive's mount path, an entry's name
    std::string_view TypeName;  // made for column 2 only
};

// The view of an item for sorting by `column` (a link to a folder is asked of
// the disk here, once).
ItemSortView SortViewOf(const std::string& folderPath, LPCITEMIDLIST item, int column);

// Order of two items by column 0 to 3 (name, size, type, modified), -1, 0
// or 1: virtual folders first (Home, Computer, Trash), then drives by mount
// path, then folders before files, then the column's key, then names
// (case-insensitive, runs of digits as numbers so that "file_2" comes before
// "file_10", ties broken case-sensitively).
// REQUIRES: both views made for `column`, neither of a malformed item.
int CompareSortViews(int column, const ItemSortView& a, const ItemSortView& b);

// The same order of two items from their bytes; false for an unknown column
// or a malformed item.
bool CompareItems(const std::string& folderPath, int column, LPCITEMIDLIST a, LPCITEMIDLIST b,
                  int& order);

// A byte key that orders items as CompareItems does by `column`: for two
// items of one folder, comparing their keys as byte strings gives the same
// sign, so a whole level sorts with each item decoded and case-folded once.
// The key is appended to `key`. False for a malformed item or an unknown
// column.
bool AppendItemSortKey(const std::string& folderPath, LPCITEMIDLIST item, int column,
                       std::string& key);

// The type name as shown ("System Folder" for virtual folders, the drive's
// kind for drives, both in the program's language; the MIME type's
// description for entries).
std::string ItemTypeName(const std::string& folderPath, LPCITEMIDLIST item);

// Detail columns: 0 Name, 1 Size ("1,234 KB", files only), 2 Type,
// 3 Modified (ModifiedText, entries only).
constexpr int kDetailColumns = 4;
std::string ItemDetailText(const std::string& folderPath, LPCITEMIDLIST item, int column);

// A modification time (ns since the epoch) as the Modified columns show it:
// local time in the locale's short date and short time. The C locale, whose
// short forms spell out the month and add seconds (too wide for the column),
// gives "yyyy-MM-dd HH:mm".
std::string ModifiedText(std::int64_t modifiedNs);

// Theme icon names for the item, best first, and the built-in picture to use
// when the theme has none of them.
struct IconChoice {
    std::vector<std::string> ThemeNames;
    std::string Fallback;  // resource name of a built-in picture
};
IconChoice ItemIcon(const std::string& folderPath, LPCITEMIDLIST item, bool open);
