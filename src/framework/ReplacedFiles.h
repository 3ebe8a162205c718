#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
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

// What a folder is: where it is, and who may write it.
struct TFolderFacts {
    dev_t device = 0;
    ino_t inode = 0;
    std::uint64_t mount = 0;  // 0 when the system does not tell
    uid_t owner = 0;
    mode_t mode = 0;
};
bool FolderFactsOf(int folder, TFolderFacts& facts);
// Whether a file kept in the one folder may carry new content for the
// other: in the same folder; or within one mount (a rename between mounts
// fails) from a folder only the process may write, so that nobody can put
// another file under the kept file's name before it is swapped into the
// target's folder.
bool MayServe(const TFolderFacts& kept, const TFolderFacts& target);

struct TReplacedFile {
    TFileHandle file;    // onto the replaced content
    TFileHandle folder;  // the folder whose entry `name` names it
    TFolderFacts where;  // that folder's
    std::string name;    // its temporary name; empty when it has no name left
    off_t size = 0;
};

// Makes the kept file the new temporary file `temp`, where it is: open for
// reading and writing at offset 0, locked, mode 0600, the process's own,
// without extended attributes. Only a file that nobody else has open or
// links to, that still has its name and carries no attribute flags
// (append-only, no copy on write, ...) serves: anyone still reading the
// replaced content keeps it. Returns 0 (the caller takes its folder), or an
// errno value; on failure the caller lets the file go.
int ReuseAsTemp(TReplacedFile& replaced, TTempFile& temp);

// Removes the file's name, when that still names the file, and closes it.
void LetGo(TReplacedFile& replaced) noexcept;
