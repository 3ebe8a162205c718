#pragma once

#include <QImage>
#include <string>

// The desktop's shared cache of small pictures of files, which file managers
// and viewers read and write alike:
//
//   <root>/normal/<key>.png   a file's picture, at most 128 x 128 pixels
//   <root>/large/<key>.png    the same, at most 256 x 256 pixels
//   <root>/fail/kadrimarkexif-<version>/<key>.png
//                             a 1 x 1 picture saying that this program could
//                             not make one
//
// <root> is ThumbnailRoot(); <key> is the lower-case hex MD5 of the file's
// CanonicalFileUri (UriList.h). Every picture carries PNG text keys:
//   Thumb::URI     that URI                                      required
//   Thumb::MTime   the file's modification time, whole seconds   required
//                  since the epoch, in decimal
//   Thumb::Size    the file's size in bytes, in decimal          optional
//   Software       the program that made it                      optional
// A picture stands for a file only while its URI and MTime equal the file's,
// and its Size too where it has one; otherwise it is stale and made again.
// We write all four keys.
//
// Folders are made with mode 0700 and pictures with 0600: a picture shows
// what may be for its owner's eyes only. A picture is written under a hidden
// temporary name in its folder and renamed into place, so that another
// program never reads half of one. Its data are not flushed to disk: a
// picture lost in a crash is merely made again.
//
// A cache object holds no state besides its root; its calls may be made from
// several threads at once.

enum class TThumbnailSize { Normal, Large };

// The largest width and height of a picture of that size: 128 or 256.
int ThumbnailPixels(TThumbnailSize size);

// The facts of a file that its picture is checked against.
struct TThumbnailSource {
    std::string uri;      // CanonicalFileUri of the file's path
    long long mtime = 0;  // modification time, seconds since the epoch
    long long size = 0;   // bytes
};

// $XDG_CACHE_HOME/thumbnails, else ~/.cache/thumbnails (Places.h).
std::string ThumbnailRoot();

// "<key>.png" for a file's URI.
std::string ThumbnailFileName(const std::string& uri);

class TThumbnailCache {
  public:
    // `root` is an absolute path.
    explicit TThumbnailCache(std::string root) : root_(std::move(root)) {}

    const std::string& Root() const { return root_; }

    // The stored picture of the file at that size; a null image when there is
    // none, when it cannot be read, or when it is stale.
    QImage Find(const TThumbnailSource& source, TThumbnailSize size) const;
    // Stores the picture with the file's keys, making the folders it needs.
    // False when it cannot; no partial picture stays behind.
    bool Store(const TThumbnailSource& source, TThumbnailSize size, QImage picture) const;

    // Records that no picture could be made of the file as it is now.
    bool RecordFailure(const TThumbnailSource& source) const;
    // True while a failure recorded for the file stands: the file has not
    // changed since.
    bool Failed(const TThumbnailSource& source) const;

    // True for a path inside the cache: no picture is made of a picture.
    bool Contains(const std::string& path) const;

  private:
    QImage FindIn(const std::string& folder, const TThumbnailSource& source) const;
    bool WriteIn(const std::string& folder, const TThumbnailSource& source, QImage picture) const;

    std::string root_;
};
