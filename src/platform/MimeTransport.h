#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/DataTransfer.h"

class QMimeData;

// Drag data between a data object and Qt's drag and drop. The formats travel
// under their own names: "Shell IDList Array", "CF_HDROP" (the file-drop
// block) and "text/uri-list"; a data object with a file-drop block and no URI
// list also offers its files as text/uri-list, for other programs.

// The format ids of the names that travel (registered on first use).
UINT ShellIdListFormat();  // "Shell IDList Array"
UINT UriListFormat();      // "text/uri-list"

// A data object over fixed blocks, one per format, with one reference for
// the caller. It answers GetData and QueryGetData (DV_E_FORMATETC for other
// formats, DV_E_TYMED for other media); the rest E_NOTIMPL.
IDataObject* NewBlockDataObject(std::vector<std::pair<CLIPFORMAT, std::string>> blocks);

// A new QMimeData (the caller owns it) with the object's formats that travel.
QMimeData* NewMimeDataFromDataObject(IDataObject* data);
// A data object (one reference for the caller) holding a copy of the formats
// that travel found in dropped data; other formats are ignored.
IDataObject* NewDataObjectFromMimeData(const QMimeData& mime);
