#pragma once

#include <QString>
#include <string>

// On-disk names as the tree and the list show them and as label editing
// hands them back. Names are bytes and need not be valid UTF-8.

// A caption for an on-disk name: valid UTF-8 as it is, every byte that is
// not part of a valid sequence as "\xHH", so that any name reads plainly.
QString ReadableText(const std::string& bytes);

// The name a label edit gives back. The edit box started with
// ReadableText(editingName); when its text is still that, the name is
// `editingName` byte for byte (so an untouched name that is not valid UTF-8
// survives), otherwise it is the text as typed, in UTF-8. When the name was
// shown with escapes, each "\xHH" of a byte from 80 to FF (as ReadableText
// writes them) is turned back into its byte, so that renaming such a name
// keeps its other bytes; a valid name's "\x" text stays text.
std::string EditedName(const std::string& editingName, const QString& text);
