#pragma once

#include <string>
#include <vector>

// The window's command line:
//   kadrimarkexif [FOLDER]
//   kadrimarkexif --help
// A folder given opens selected in the folder tree; without one the window
// starts on the desktop.
struct TStartupOptions {
    bool Help = false;
    // The folder to open, made absolute; empty for the desktop.
    std::string Folder;
    // Why the command line cannot be followed; empty when it can.
    std::string Error;
};

// Reads the arguments after the program's name. "--" ends the options, so a
// folder whose name starts with "-" can be given after it.
TStartupOptions ParseStartupOptions(const std::vector<std::string>& args);

// Empty when `path` is a folder the window can open; otherwise the reason,
// as standard error says it ("No such file or directory", "Not a directory").
std::string FolderProblem(const std::string& path);

// The text of --help, in the program's language.
std::string StartupHelp();
