#pragma once

#include <vector>

class QImage;
struct IconChoice;

// The system image lists: one small (16 x 16) and one large (32 x 32) list of
// icons per process. An index names the same picture in both lists, and the
// same icon always gets the same index. Icons come from the desktop's icon
// theme (by MIME type and folder kind); built-in pictures stand in when no
// theme has them. SHGetFileInfoA (ShellServices.h) hands out the lists and
// the indexes. Use on the user-interface thread only.
//
// Overlays are numbered from 1; an overlay names an image of the list that is
// drawn over another. The shell layer installs its two overlays (1 shared,
// 2 link) from the pictures LoadShellIcon gives for resources 29 and 30.

class TSystemImageList;
// A system image list as SHGetFileInfoA hands it out.
using HIMAGELIST = TSystemImageList*;

class TSystemImageList {
  public:
    explicit TSystemImageList(int size);
    ~TSystemImageList();
    TSystemImageList(const TSystemImageList&) = delete;
    TSystemImageList& operator=(const TSystemImageList&) = delete;

    int Size() const { return size_; }
    int Count() const;
    // The picture at an index; a null image when out of range.
    QImage Image(int index) const;
    // Appends a picture (scaled to Size) and returns its index.
    int Add(const QImage& picture);
    // Makes image `index` overlay number `overlay` (1 to 15); false when either
    // is out of range.
    bool SetOverlayImage(int index, int overlay);
    // The image index of an overlay, -1 when the overlay is not set.
    int OverlayImage(int overlay) const;

  private:
    int size_;
    std::vector<QImage> images_;
    int overlays_[16];
};

// The process's two system image lists (created on first use) and the index
// of an item's icon in them (the icon is added to both on first use).
HIMAGELIST SystemImageListOf(bool small);
int SystemIconIndex(const IconChoice& icon);

// An icon loaded from the layer's own pictures, owned by the caller until
// DestroyIcon.
using HICON = struct IconPicture*;

constexpr int kSharedOverlayIconResource = 29;
constexpr int kLinkOverlayIconResource = 30;

// The picture of a shell icon resource (29 shared, 30 link) at size x size
// pixels; null for any other resource.
HICON LoadShellIcon(int resource, int size);
void DestroyIcon(HICON icon);
// Appends the icon (only index -1 is supported: the system lists never
// replace a picture); returns its index, -1 on failure.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
bool ImageList_SetOverlayImage(HIMAGELIST list, int index, int overlay);
