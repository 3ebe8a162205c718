#pragma once

#include <string>
#include <string_view>
#include <vector>

// Local file names as other desktop programs exchange them.
//
// text/uri-list: one URI per line (CR LF written, LF alone accepted), lines
// starting with '#' are comments. Only file: URIs of this machine count
// (file:///path or file://localhost/path); bytes other than unreserved
// characters and '/' are percent-encoded.
//
// x-special/gnome-copied-files: a first line "copy" or "cut", then one URI per
// line, as file managers put cut and copied files on the clipboard.

std::string FileUri(std::string_view path);
// The URI desktop programs name a file by in their shared picture cache
// (ThumbnailCache.h): besides the characters FileUri keeps, the marks
// !*'() and the path characters :@&=+$, stay as they are; the rest is
// percent-encoded with upper-case hex, byte by byte.
std::string CanonicalFileUri(std::string_view path);
std::string WriteUriList(const std::vector<std::string>& paths);

// The absolute local paths named by a list from outside, in order. Lines that
// are not local file URIs, that hold a malformed escape, or whose decoded path
// holds a NUL are passed over.
std::vector<std::string> ReadUriList(std::string_view text);

std::string WriteCopiedFiles(const std::vector<std::string>& paths, bool cut);
// False when the first line is neither "copy" nor "cut".
bool ReadCopiedFiles(std::string_view text, std::vector<std::string>& paths, bool& cut);
