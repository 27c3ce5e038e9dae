// What the results list's context menu and a double-click do with the selected hit: open it,
// show it in its folder, delete it, run it as administrator, copy its path, show its
// properties. UI thread only. Each works on a private copy of the hit at SelectedRow of the
// visible list and reports in message boxes owned by the main window.
#pragma once

namespace kx {

// With containingFolder, a folder window of the hit's folder with the hit selected.
void OpenSelected(bool containingFolder);
// Asks first; after a successful delete, searches again with the box's text.
void DeleteSelected();
void RunSelectedAsAdmin();
void CopySelectedPath();
void ShowSelectedProperties();
// OpenSelected(false), but silent when nothing is selected, and going on with an empty path.
void OpenOnDoubleClick();

}  // namespace kx
