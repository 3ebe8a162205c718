#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shell/IdLists.h"

// One place held by a component property (the tree's BaseFolder and
// SelectedFolder, the file list's Folder). The place is kept either as an owned
// absolute item id list (Kind 0; null stands for the desktop) or as a
// special-folder id (Kind 1) whose list is looked up on first read.
//
// Form-stream format, the raw-bytes property "Pidl" (present only when a list is
// held or Kind = 1):
//   Kind        1 byte
//   Kind 1:     SpecialFolder, 1 byte
//   Kind 0:     length, u32 little-endian (the id list's size with terminator),
//               then `length` bytes of id list
// A length of 0 reads as Kind 1, SpecialFolder 0 (the desktop).
class TRzShellLocator {
  public:
    enum : std::uint8_t { kindIdList = 0, kindSpecialFolder = 1 };
    // SpecialFolder value meaning "no special folder".
    static constexpr std::uint8_t kNoSpecialFolder = 50;
    static constexpr const char* kStreamProperty = "Pidl";

    TRzShellLocator() = default;
    ~TRzShellLocator();
    TRzShellLocator(const TRzShellLocator&) = delete;
    TRzShellLocator& operator=(const TRzShellLocator&) = delete;

    std::uint8_t Kind() const { return kind_; }
    std::uint8_t SpecialFolder() const { return specialFolder_; }

    // Kind 0: the held list (null = desktop). Kind 1: the special folder's list,
    // looked up on first read and kept; null while that folder does not exist
    // (it then names nothing, not the desktop). The locator owns the result.
    LPCITEMIDLIST IdList();
    // The file-system path of IdList(), or "" for places without one and for a
    // special folder that does not exist.
    std::string PathName();

    // Holds a copy of `list` (null when it has no items) as Kind 0 and fires
    // OnChange when the place really changed.
    void SetIdList(LPCITEMIDLIST list);
    void Clear() { SetIdList(nullptr); }

    // Takes over the other's place unless both already name the same one; null
    // is Clear (the desktop, Kind 0). Fires OnChange on a change.
    void Assign(TRzShellLocator* other);

    // Fired after the place really changed.
    std::function<void()> OnChange;

    // The "Pidl" property: its bytes, or nothing when it is not stored.
    std::optional<std::string> WritePidl() const;
    // Replaces the held place by the property's bytes; raises "Stream read
    // error" on truncated bytes and "Invalid property value" on a bad kind, a
    // special-folder id the program does not know or a malformed id list,
    // leaving the locator unchanged.
    void ReadPidl(std::string_view bytes);

  private:
    // Replaces the held place (keeping a copy of `list` when not null).
    void Hold(std::uint8_t kind, std::uint8_t specialFolder, LPCITEMIDLIST list);
    void Release();
    void Changed();

    std::uint8_t kind_ = kindIdList;
    LPITEMIDLIST idList_ = nullptr;
    std::uint8_t specialFolder_ = kNoSpecialFolder;
};
