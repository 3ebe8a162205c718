#pragma once

#include <string>
#include <vector>

#include "platform/ShellInterfaces.h"

// Launchers (".desktop" files) in the Send To folder take dropped files: the
// program their Exec line names is started with the files. Only launchers
// the person put in their own Send To folder are offered this way, never
// launchers of other folders, so a dropped file never starts a program that
// came with a download.
//
// Exec line: words split at blanks, double quotes group a word (inside them
// a backslash keeps the next character); field codes: %f / %u the first file
// (as a path / a file URI), %F / %U every file as its own word, %% a percent
// sign; other codes are dropped. Without a file code the files follow the
// command. No shell is involved: every file is one argument whatever it
// holds.

// The command for the launcher's text and the files; empty when the text has
// no Exec line in its [Desktop Entry] group.
std::vector<std::string> LauncherCommand(const std::string& launcherText,
                                         const std::vector<std::string>& files);

// Whether the launcher's Exec line takes several files in one command (a
// lone %F or %U).
bool LauncherTakesManyFiles(const std::string& launcherText);

// A new drop target (one reference for the caller) for the launcher file.
// The command starts through ShellPrompts().RunProgram.
IDropTarget* NewLauncherDropTarget(std::string launcherPath);
