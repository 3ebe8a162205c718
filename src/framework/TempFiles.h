#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "framework/FileHandle.h"

// The hidden files a safe rewrite keeps in the folder of the file it works on:
//   .kadrimark-XXXXXX.tmp          new content being written, or a copy being
//                                  made (never the only copy of anything)
//   .kadrimark-XXXXXX.YYYYYY.INODE.orig
//                                  the whole original content of the file with
//                                  that inode number in the same folder, kept
//                                  while that file is overwritten in place with
//                                  the content of .kadrimark-YYYYYY.tmp
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
// of the file with inode `inode` while that file is overwritten with the
// content of the temporary file `newName`.
std::string OriginalCopyName(const std::string& tempName, const std::string& newName, ino_t inode);

// Makes `to` hold exactly what `from` holds (both read and written from
// offset 0, `to` cut to the same length).
int CopyContent(int from, int to);

// An original copy that a tidy left in place, and the inode of its file.
struct TLeftCopy {
    std::string name;
    ino_t inode;
};

// Clears what dead processes left in the folder. An original copy is written
// back over its file (in place, so that owner and links stay) and removed
// with its new content, but only when the file is still the one the dead run
// was overwriting - it holds the original, the new content, or the new
// content up to some point and the original after it - and whoever made the
// copy could have written that file anyway; otherwise both stay and the copy
// is returned. Other temporary files are removed. Files that a live process
// holds are left alone. Best effort: what cannot be cleared stays.
std::vector<TLeftCopy> TidyTempFiles(int folder);
