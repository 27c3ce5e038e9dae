// The context menu's two commands on the filter configuration.
#pragma once

namespace kx {

// A folder window on the configuration folder, created first if the Documents folder is known.
void OpenFilterConfigFolder();

// Asks (in Chinese under both languages); on Yes the default categories replace the current
// ones, filters.ini is rewritten and the tag buttons show the new names with their counts.
void ResetFilterTags();

}  // namespace kx
