#pragma once

#include <string>
#include <vector>

#include "platform/ShellInterfaces.h"

// A folder as the target of a drop: the dropped files are copied, moved or
// linked (symbolic links) into it through TransferItems, with its rules on
// name clashes and half-done copies.
//
// The dropped files are read with DroppedPaths (the data object's file-drop
// block, else its text/uri-list); anything else offers nothing (DROPEFFECT_NONE).
//
// The effect, from the key state, within the effects the source allows:
// Ctrl+Shift or Alt link, Ctrl copy, Shift move, and without a modifier a
// move when the first file is on the folder's file system, else a copy. When
// the chosen effect is not allowed, the first allowed of copy, move, link. No
// effect when the folder is one of the files or lies below one of them, or
// when a plain move would leave every file where it is. While hovering, no
// effect either when the folder cannot be written.
//
// A drop with the right button held (MK_RBUTTON in the drop's key state)
// first asks the right-button drop menu (IShellPrompts::ChooseDropEffect).
// Drop reports the effect carried out (DROPEFFECT_NONE when cancelled or
// when nothing was placed); failures are reported to the person and returned.

// A new drop target with one reference for the caller.
IDropTarget* NewFolderDropTarget(std::string folderPath);

// The effect a drop of `sources` onto `folderPath` gets (rules above).
DWORD DropEffectFor(const std::vector<std::string>& sources, const std::string& folderPath,
                    DWORD keyState, DWORD allowed);
