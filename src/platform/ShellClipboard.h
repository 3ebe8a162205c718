#pragma once

#include <string>
#include <vector>

class QMimeData;

// Files cut or copied to the clipboard, in the forms desktop file managers
// read and write: text/uri-list, x-special/gnome-copied-files ("copy" or
// "cut" first) and application/x-kde-cutselection ("1" when cut).

struct TClipboardFiles {
    std::vector<std::string> Paths;  // absolute local paths
    bool Cut = false;
};

// New clipboard data for the files; the caller owns it (the clipboard takes
// it over when it is set).
QMimeData* NewClipboardFilesData(const TClipboardFiles& files);
// The files that data from outside names: the copied-files list when there is
// one (it carries cut or copy), else the URI list (a copy).
TClipboardFiles ClipboardFilesOf(const QMimeData& data);

// The system clipboard.
void PutFilesOnClipboard(const TClipboardFiles& files);
TClipboardFiles FilesOnClipboard();
// After cut files were pasted, the clipboard no longer offers them.
void ClearClipboard();
