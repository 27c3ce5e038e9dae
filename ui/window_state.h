// The main window's process-wide state. Everything here belongs to the UI thread.
#pragma once

#include <windows.h>

#include "ui/gdi_resources.h"

namespace kx {

// The window itself, for the UI thread's own calls; set when its creation is handled, which is
// before the entry point stores it in MainWindow for the workers.
extern HWND MainWindowHandle;

// Client size from the last WM_SIZE.
extern int ClientWidth;
extern int ClientHeight;

// The results list is drawn here and copied to the window in one BitBlt.
extern UniqueMemoryDC BackBufferDC;
extern UniqueBitmap BackBufferBitmap;

extern UniqueFont StatusFont;  // status line and list rows
extern UniqueFont HeaderFont;  // list header
extern UniqueFont EditFont;    // search box
extern UniqueFont TagFont;     // tag buttons and their measuring

extern HWND SearchEdit;
extern HWND StatusLine;
extern HWND HoverTip;  // null when the tooltip control could not be created
extern WNDPROC PreviousEditProc;

}  // namespace kx
