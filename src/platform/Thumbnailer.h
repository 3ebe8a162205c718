#pragma once

#include <QImage>
#include <string>

#include "platform/ThumbnailCache.h"

// Making the picture of one file for the shared cache (ThumbnailCache.h).
//
// Only a regular file of at most kLargestThumbnailSource bytes that the user
// may read is looked at; anything else is never opened and leaves no trace in
// the cache. The file is opened once: its keys, its cached picture's check and
// its decoding all go by what that descriptor shows.

constexpr long long kLargestThumbnailSource = 128LL << 20;

enum class TThumbnailState {
    Ready,        // `picture` holds the file's picture
    Failed,       // the file cannot be decoded (found now, or recorded before)
    Unavailable,  // not a file to look at: unreadable, not regular, too
                  // large, or inside the cache itself
};

struct TThumbnail {
    TThumbnailState state = TThumbnailState::Unavailable;
    QImage picture;
};

// The picture of the file at `path`: the cached one while it stands for the
// file, else one decoded now and stored in the cache. A file that cannot be
// decoded is recorded as failed, and a recorded failure is not tried again
// until the file changes. The picture fits the size's box and takes four
// bytes a pixel. Blocks on the disk: call it off the user-interface thread.
TThumbnail MakeThumbnail(const TThumbnailCache& cache, const std::string& path,
                         TThumbnailSize size);

// Decodes the picture that the descriptor reads from its current offset,
// turned upright as its EXIF orientation says and scaled down (never up) to
// fit in pixels x pixels with its aspect kept; the decoder works at the
// reduced size where the format allows it (JPEG). Null when it cannot.
QImage DecodeThumbnail(int fd, int pixels);
