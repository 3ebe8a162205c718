#pragma once

#include <cstdint>
#include <string>
#include <typeinfo>
#include <vector>

#include "framework/Object.h"
#include "shell/IdLists.h"

class TRzCustomShellList;

// The record behind one item of the file list, owned by the list and freed
// with its item. It owns its relative id list (one item inside the list's
// folder) and the absolute list built from it on first need. The display name
// and the detail texts are fetched when the item is first shown and kept:
// an item whose id list changes gets a new record or ReplaceRelIdList.
class TRzShellListData : public TObject {
  public:
    // Takes over `relative`.
    TRzShellListData(TRzCustomShellList* list, LPITEMIDLIST relative)
        : list_(list), relative_(relative) {}
    ~TRzShellListData() override;
    TRzShellListData(const TRzShellListData&) = delete;
    TRzShellListData& operator=(const TRzShellListData&) = delete;

    TRzCustomShellList* List() const { return list_; }
    LPCITEMIDLIST RelIdList() const { return relative_; }
    // The list's folder joined with RelIdList, built once.
    LPCITEMIDLIST AbsIdList();
    // The folder's normal name of the item, fetched once.
    const std::string& DisplayName();

    // The file-system path of the item; "" for places without one.
    std::string PathName();
    // The on-disk name: the text after the last '/' of PathName; "" for items
    // without a path and for the drives of a folder without one.
    std::string FileName();
    // Asked afresh each time: 0x700F0037 plus SFGAO_STREAM, without
    // SFGAO_READONLY for a removable drive's root.
    ULONG Attributes();
    bool IsFolder();
    // Whether PathName's extension is ".lnk", case aside.
    bool IsLink();

    // The system image index of the item's icon, looked up once.
    int IconIndex();

    // Takes over `relative` and forgets everything derived from the old list.
    void ReplaceRelIdList(LPITEMIDLIST relative);

    // Detail cells, kept by column index (1-based as the columns are).
    const std::string* CachedDetail(int column) const;
    void CacheDetail(int column, std::string text);
    bool DetailsFilled() const { return detailsFilled_; }
    void SetDetailsFilled() { detailsFilled_ = true; }

  private:
    void Forget();

    TRzCustomShellList* list_;
    LPITEMIDLIST relative_ = nullptr;
    LPITEMIDLIST absolute_ = nullptr;
    std::string displayName_;
    bool nameFetched_ = false;
    bool detailsFilled_ = false;
    int iconIndex_ = -1;
    std::uint32_t cachedMask_ = 0;
    std::vector<std::string> details_;
};

// The record `data` holds, or null. The list's own records are told apart
// without a cast search, since rows are asked for theirs on every compare and
// every draw.
inline TRzShellListData* RecordOf(TObject* data) {
    if (data != nullptr && typeid(*data) == typeid(TRzShellListData))
        return static_cast<TRzShellListData*>(data);
    return dynamic_cast<TRzShellListData*>(data);
}

// Whether the folder attributes make an item a folder for the list:
// SFGAO_FOLDER, unless it is also a stream and files may not be folders.
bool CountsAsFolder(ULONG attributes, bool filesCanBeFolders);
