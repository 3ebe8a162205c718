#pragma once

#include <string>

// Where the namespace's places are on disk, read from the environment at each
// call (tests point HOME and XDG_* at their own folders). Paths carry no
// trailing '/' except "/", and no "." or ".." when the place exists.

std::string HomePath();        // $HOME, else "/"
std::string DesktopPath();     // $XDG_DESKTOP_DIR, else ~/Desktop when it exists, else $HOME
std::string DataHomePath();    // $XDG_DATA_HOME, else ~/.local/share
std::string CacheHomePath();   // $XDG_CACHE_HOME, else ~/.cache
std::string TrashFilesPath();  // DataHomePath()/Trash/files
// Whether a path is the Trash's files folder or lies inside it.
bool IsTrashPath(const std::string& path);
std::string PicturesPath();  // $XDG_PICTURES_DIR, else ~/Pictures
std::string SendToPath();    // DataHomePath()/KadrimarkEXIF/SendTo

// Makes each missing folder of an absolute path, mode 0700 (private places
// such as the Trash); false when one cannot be made.
bool MakeFolders(const std::string& path);
