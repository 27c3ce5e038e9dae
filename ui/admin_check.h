// Whether the process runs with administrator rights, which opening volumes needs.
#pragma once

namespace kx {

// IsUserAnAdmin of shell32, imported by ordinal 680.
bool RunningAsAdministrator();

}  // namespace kx
