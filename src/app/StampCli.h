#pragma once

#include <cstdio>
#include <string>

// The command-line stamper: kadrimarkexif-stamp [OPTIONS] FOLDER runs the
// stamp command over FOLDER's entries in the file list's order (see
// FolderItems.h), with the options of TStampOptions (--all-names, --pattern,
// --recursive, --set-mtime, --undo; the usage text says what each does). The
// command's message goes to `out` (exit 0); an error that ends the run goes
// to `err` as the error box would show it (exit 1); wrong arguments print the
// usage to `err` (exit 2); --help prints it to `out`. Photos passed over are
// named on `err`, with the reason when their name gives no date, and so are
// files with a video's name that hold no movie to date. With
// --dry-run each file that would be stamped is printed as
// "<name>\t<date text>\t<scheme>" (undoing "<name>\t<date text>"; the name is
// its path below FOLDER, escaped, see EscapedName; with -0 raw and each record
// ended by NUL), the order each folder's camera-phone names are read in goes
// to `err`, and nothing changes.
// SIGINT, SIGTERM and SIGHUP end the run after the current photo without a
// count, with exit status 130, 143 or 129. Lines end with LF; a failed write
// to `out` is an error (exit 1). When `err` is a terminal, the progress is
// shown there while stamping.
int RunStampCli(int argc, char** argv, std::FILE* out, std::FILE* err);

// A file name as one line of text that cannot be mistaken for another: control
// characters, bytes that are not UTF-8 and backslashes escaped C-style ("\t",
// "\n", "\\", "\xHH").
std::string EscapedName(const std::string& name);
