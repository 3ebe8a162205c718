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
//
// When the file's folder cannot take them (the user may write the file but
// not its folder), the same files go to the user's own cache of originals
// (OpenOriginalsCache), each original copy with a record beside it:
//   .kadrimark-XXXXXX.YYYYYY.INODE.orig.where
//                                  a symbolic link, never followed, whose text
//                                  is "DEVICE:FOLDER-INODE:PATH": the folder
//                                  that holds the file, and the file's path
//                                  for people to read
// The record is made after the copy has its name and removed before the copy
// goes, and the file is overwritten only once both are on disk.

struct TTempFile {
    TFileHandle handle;  // open for reading and writing, locked
    std::string name;    // its name in the folder
};

// Creates a new, empty, locked temporary file (mode 0600) in the folder.
int CreateTempFile(int folder, TTempFile& temp);

// Whether the entry `name` of the folder (never followed) is the file with
// these facts (device and inode).
bool NamesFile(int folder, const std::string& name, const struct stat& file);

// The name under which the temporary file `tempName` holds the finished copy
// of the file with inode `inode` while that file is overwritten with the
// content of the temporary file `newName`.
std::string OriginalCopyName(const std::string& tempName, const std::string& newName, ino_t inode);

// Makes `to` hold exactly what `from` holds (both read and written from
// offset 0, `to` cut to the same length).
int CopyContent(int from, int to);

// An original copy that a tidy left in place, and the inode of its file.
struct TLeftCopy {
    std::string name;  // in the folder tidied, or the whole path of a cached one
    ino_t inode;
    std::string file;  // the name of its file in the folder, or "" when none has its inode
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

// The user's cache of originals: $XDG_CACHE_HOME/kadrimarkexif/originals
// (~/.cache/kadrimarkexif/originals by default), made with mode 0700 when
// `create`. It must be the user's own: a folder of another owner is refused
// (EPERM) and one open to others is closed. `path` is set either way.
int OpenOriginalsCache(bool create, TFileHandle& cache, std::string& path);

// Records in the cache which file the original copy `copyName` belongs to: the
// file `path` in `folder`.
int RecordCachedCopy(int cache, const std::string& copyName, int folder, const std::string& path);

// The record's name, removed before its copy.
std::string CopyRecordName(const std::string& copyName);

// TidyTempFiles for the originals that dead runs kept in the user's cache for
// files of `folder`, under the same rules; the copies left are named by their
// whole path. The cache's other leftovers of dead runs that never touched a
// file go too; copies for other folders wait for a run there.
std::vector<TLeftCopy> TidyCachedOriginals(int folder);

// The original copies that dead processes left for files of `folder`, in it
// and in the user's cache of originals (the files TempFiles.h describes),
// named as TidyTempFiles and TidyCachedOriginals name those they leave (a
// cached one by its whole path). Read only: nothing is put back or removed,
// so every such copy is listed, also one that a tidy would put back. A copy
// that a live process holds is not listed; its lock is only asked, shared and
// at once let go. The cache is opened as every run opens it
// (OpenOriginalsCache, which closes one open to others). Best effort: what
// cannot be read is not listed.
std::vector<TLeftCopy> ListLeftCopies(int folder);
