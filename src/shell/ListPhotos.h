#pragma once

#include <QByteArray>
#include <QCache>
#include <QObject>
#include <QPixmap>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "shell/PassPriority.h"

class TThumbnailLoader;

// The pictures a file list shows in large icons for the files Qt can read as
// images: each file as its own picture, scaled into the large-icon box with
// its aspect kept, instead of its type's icon.
//
// Pictures come from the desktop's shared thumbnail cache through a
// background loader (ThumbnailLoader.h), so the window never waits for one:
// a picture not known yet is asked for and the icon shows until it arrives.
// The files the view draws are asked for ahead of everything else (the latest
// drawn first); the rest of a folder waits behind them. What is kept in
// memory is bounded: the loader's pictures and the scaled ones here are both
// caches of a fixed size.
//
// A file is named by its path and a stamp that changes whenever the file does
// (its modification time and size): a rewritten file gets its picture made
// again, since the cache's own check finds the stored one stale.
class TListPhotos {
  public:
    struct TFile {
        std::string path;
        long long stamp = 0;
    };

    // `pixels`: the large-icon box; `arrived` is called when a picture the
    // view asked for has come, for the view to draw it.
    TListPhotos(int pixels, std::function<void()> arrived);
    ~TListPhotos();
    TListPhotos(const TListPhotos&) = delete;
    TListPhotos& operator=(const TListPhotos&) = delete;

    // Whether the file name's extension is one of an image format Qt reads.
    static bool IsPictureName(std::string_view name);

    // The file's picture for its large icon; a null pixmap while it is being
    // made (it is asked for first, then) and for a file without one.
    QPixmap Picture(const TFile& file);

    // Queues pictures behind those the view asks for.
    void RequestInBackground(const std::vector<TFile>& files);
    // Drops every waiting request: the list shows another folder or style.
    void CancelPending();
    // Pictures waiting or being made.
    int PendingCount() const;

  private:
    TThumbnailLoader& Loader();
    void Arrived(const std::string& path, long long stamp);
    // The loader's picture scaled into the box and kept; false when the
    // loader holds nothing for the file.
    bool TakeFromLoader(const TFile& file, const QByteArray& key);

    const int pixels_;
    QObject context_;  // of the loader's signal
    std::function<void()> arrived_;
    std::unique_ptr<TThumbnailLoader> loader_;  // made on first need
    QCache<QByteArray, QPixmap> scaled_;        // cost in KiB
    std::unordered_set<std::string> asked_;     // paths the view waits for
    TPassPriority visiblePriority_;
};
