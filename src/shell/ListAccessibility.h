#pragma once

// The file list's icon and list styles as screen readers read them: a list
// of one item a row, named by the item's display name, selected as the
// list's selection says and focused where its keyboard is. (The toolkit's
// own reading offers each column of the list's model as an item of its own,
// and its selection and focus reports then point at the wrong ones.)
//
// Installs the reading into the accessibility framework; call it once at
// start, before the window shows.
void InstallListAccessibility();
