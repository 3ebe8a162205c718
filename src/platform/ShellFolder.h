#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/ShellInterfaces.h"

// The folders of the namespace. All three kinds share one implementation;
// they differ in what they list and which names they parse:
//   Desktop     Home, Computer, Trash, then the entries of the desktop folder;
//               parses "::Home", "::Computer", "::Trash", absolute paths (by
//               way of Computer and the drive that holds them) and names
//               relative to the desktop folder
//   Computer    the drives (Drives.h); parses absolute paths
//   FileSystem  the entries of a directory; parses relative paths
// Every folder also describes its items in four detail columns (IShellFolder2,
// IShellDetails).
enum class FolderKind { Desktop, Computer, FileSystem };

// A new folder object with one reference for the caller. `path` is the
// folder's directory (the desktop folder's for Desktop, empty for Computer).
IShellFolder2* NewShellFolder(FolderKind kind, std::string path);
