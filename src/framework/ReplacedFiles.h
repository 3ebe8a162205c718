#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "framework/FileHandle.h"
#include "framework/TempFiles.h"

// A file that a group's rename replaced (see TAtomicFileGroup). Where the file
// system can swap two names, the rename swaps the new content with the file
// it replaces, which keeps the replaced file under the temporary name the new
// content had; once that rename is on disk the replaced file is garbage, and
// its inode can take a later rewrite's content instead of a new file being
// made. A run over many files then makes and frees about one batch of files
// rather than one per file: on some file systems making a file costs far more
// than writing one (ext4 without a journal looks past every recently freed
// inode each time), and freeing one can wait for the disk. A crash leaves a
// kept file as an ordinary leftover temporary file, which TidyTempFiles
// removes.

struct TReplacedFile {
    TFileHandle file;    // onto the replaced content
    TFileHandle folder;  // the folder whose entry `name` names it
    std::string name;    // its temporary name; empty when it has no name left
    off_t size = 0;
    dev_t folderDevice = 0;  // where that folder is
    ino_t folderInode = 0;
};

// Makes the kept file the new, empty temporary file `temp` in its own folder:
// open for reading and writing, locked, mode 0600, the process's own, without
// extended attributes or cached pages. It serves its own folder only: someone
// may hold it in ways no check sees (a path descriptor, a bind mount), and
// whoever could reach the photo it was can reach only photos of that folder
// through it. Only a file that nobody else has open or links to, that still
// has its name and carries no attribute flags but a new file's serves: anyone
// still reading the replaced content keeps it, and nothing of it reaches the
// new content. Returns 0, or an errno value; on failure the caller lets the
// file go.
int ReuseAsTemp(TReplacedFile& replaced, TTempFile& temp);

// Removes the file's name, when that still names the file, and closes it.
void LetGo(TReplacedFile& replaced) noexcept;
