// Loading the categories at start-up, and restoring the defaults on the user's request.
#pragma once

#include <string>

namespace kx {

// The start-up sequence, in GetConfigDir(): UI thread, after UseChinese is fixed and before
// the main window exists.
void InitFilterConfig();

// The same sequence in the given folder:
// - filters.ini loads: its categories are used and filters.bak becomes a copy of it. Under
//   the English interface a file whose first category is named "所有文件" is taken to hold the
//   Chinese defaults: those of its categories that are exactly a Chinese default get their
//   English names, every other line is kept, and the file is rewritten before the copy.
// - otherwise: filters.bak's categories, else the defaults, are used and written over
//   filters.ini; filters.bak is not touched.
void InitFilterConfigIn(const std::u16string& configDir);

// What the reset command does once the user said Yes: the defaults in the interface language
// become the categories and are written over filters.ini (filters.bak is left alone).
// SelectedCategory is kept; readers go through SelectedCategoryIndex(), which falls back to
// category 0 when the new list is shorter. False when the file could not be written; the
// categories in memory are the defaults either way.
bool RestoreDefaultFilterConfig();

}  // namespace kx
