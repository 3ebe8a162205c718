#pragma once

#include <vector>

#include "framework/TempFiles.h"

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
