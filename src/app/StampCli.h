#pragma once

#include <cstdio>

// The command-line stamper: kadrimarkexif-stamp [--dry-run] FOLDER runs the
// stamp command over FOLDER's entries in the file list's order (see
// FolderItems.h). The command's message goes to `out` (exit 0); an error that
// ends the run goes to `err` as the error box would show it (exit 1); wrong
// arguments print the usage to `err` (exit 2); --help prints it to `out`.
// With --dry-run each file that would be stamped is printed as
// "<name>\t<date text>" and nothing changes. When `err` is a terminal, the
// progress is shown there while stamping.
int RunStampCli(int argc, char** argv, std::FILE* out, std::FILE* err);
