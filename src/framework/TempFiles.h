#pragma once

#include <sys/types.h>

#include <string>

#include "framework/FileHandle.h"

// The hidden files a safe rewrite keeps in the folder of the file it works on:
//   .kadrimark-XXXXXX.tmp          new content being written, or a copy being
//                                  made (never the only copy of anything)
//   .kadrimark-XXXXXX.INODE.orig   the whole original content of the file with
//                                  that inode number in the same folder, kept
//                                  while that file is overwritten in place
// The process that writes such a file holds an exclusive flock on it from its
// creation until it is renamed or removed, so one that nobody holds was left
// by a process that died. Functions return 0 or an errno value.

struct TTempFile {
    TFileHandle handle;  // open for reading and writing, locked
    std::string name;    // its name in the folder
};

// Creates a new, empty, locked temporary file (mode 0600) in the folder.
int CreateTempFile(int folder, TTempFile& temp);

// The name under which the temporary file `tempName` holds the finished copy
// of the file with inode `inode`.
std::string OriginalCopyName(const std::string& tempName, ino_t inode);

// Makes `to` hold exactly what `from` holds (both read and written from
// offset 0, `to` cut to the same length).
int CopyContent(int from, int to);

// Clears what dead processes left in the folder: temporary files are removed,
// and an original copy that this user made is written back over the file it
// belongs to (in place, so that owner and links stay) and then removed; a
// copy whose file is gone, or that another user made, is kept. Files that a
// live process holds are left alone. Best effort: what cannot be cleared
// stays for a later run.
void TidyTempFiles(int folder);
