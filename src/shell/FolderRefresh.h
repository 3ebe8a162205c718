#pragma once

#include <utility>
#include <vector>

#include "shell/IdLists.h"

// How the folder tree and the file list keep what they show of a folder
// current: when a change their watcher saw is answered, and which shown
// entries a fresh enumeration keeps, drops and adds. No widget is involved.

// -- The change delay. A burst of changes ends in one refresh, this long
// after the last of them: sooner while the control has the input focus.
constexpr int kChangeDelayFocusedMs = 400;
constexpr int kChangeDelayMs = 2000;

int RefreshDelay(bool focused);

// The delay before the refresh a change notification asks for, or 0 when it
// asks for none: a control's own rename causes one change it does not answer
// (`skipNextChange`, cleared here), and a busy control answers none.
int ChangeDelay(bool& skipNextChange, bool busy, bool focused);

// -- The fresh enumeration.
// Reads every item the enumerator gives into `items`, one at a time, and
// returns the last code of Next: S_FALSE at a normal end, anything else
// (E_FAIL for a folder that vanished) when the read stopped early; the items
// read before that are kept.
HRESULT ReadEnumeration(IEnumIDList* enumerator, std::vector<TOwnedIdList>& items);

// -- The merge. Entries with equal bytes pair off one to one: each shown
// entry matches at most one fresh entry and each fresh entry at most one
// shown entry, the earlier shown entries first. So with two equal entries
// shown and one fresh, the first stays and the second goes; with one shown
// and two fresh, one is new.
//
// With a folder, what is left then pairs off the same way by the folder's
// order (column 0: the same kind and the same name): such a shown entry is
// renewed, not gone. A file replaced under its name (rewritten and renamed
// over, by this program or another) has a list of other bytes, since its
// list holds its size and time; it keeps its place in what is shown.
struct TFreshMatch {
    std::vector<int> Gone;  // indexes of the shown entries no fresh entry matched, ascending
    std::vector<int> New;   // indexes of the fresh entries no shown entry matched, ascending
    // (shown, fresh) index pairs of renewed entries, ascending by shown index.
    std::vector<std::pair<int, int>> Renewed;
};

// REQUIRES: every list is a well-formed relative list of `folder` (of one
// folder when there is none).
TFreshMatch MatchFresh(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& shown,
                       const std::vector<TOwnedIdList>& fresh);
