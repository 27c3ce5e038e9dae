#include "ui/window_state.h"

#include "ui/list_view_state.h"

namespace kx {

HWND MainWindowHandle = nullptr;
int ClientWidth = 0;
int ClientHeight = 0;
UniqueMemoryDC BackBufferDC;
UniqueBitmap BackBufferBitmap;
UniqueFont StatusFont;
UniqueFont HeaderFont;
UniqueFont EditFont;
UniqueFont TagFont;
HWND SearchEdit = nullptr;
HWND StatusLine = nullptr;
HWND HoverTip = nullptr;
WNDPROC PreviousEditProc = nullptr;

ColumnWidthArray ColumnWidths = kInitialColumnWidths;
std::int64_t ScrollOffset = 0;
std::int64_t SelectedRow = -1;
std::int64_t HoverRow = -1;
int HoverColumn = -1;
ColumnDrag ResizingColumn;

}  // namespace kx
