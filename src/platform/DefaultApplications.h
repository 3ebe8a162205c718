#pragma once

#include <string>
#include <vector>

// Which program opens a file, as desktops agree on it. The file's MIME type
// comes from its name (a folder's is inode/directory). For the type, the
// first installed desktop entry named by the "[Default Applications]" groups
// of the mimeapps.list files wins ($XDG_CONFIG_HOME, $XDG_CONFIG_DIRS,
// $XDG_DATA_HOME/applications, $XDG_DATA_DIRS/applications, in that order),
// else by their "[Added Associations]", else by the "[MIME Cache]" of the
// applications folders' mimeinfo.cache; a type none names tries the types
// it is a kind of. Entries are looked for in $XDG_DATA_HOME/applications,
// then $XDG_DATA_DIRS/applications, and count when their [Desktop Entry]
// has an Exec line. Environment variables are read at each call.

// How to open files: Commands start programs (argv, no shell) whose desktop
// entry was found: one command with all of a program's files when its Exec
// line takes several (%F, %U), else one per file; programs in the order their
// first file comes, files in the order given. Files no program is set for
// are left in Unclaimed, in order.
struct TOpenPlan {
    std::vector<std::vector<std::string>> Commands;
    std::vector<std::string> Unclaimed;
};

TOpenPlan PlanOpening(const std::vector<std::string>& paths);
