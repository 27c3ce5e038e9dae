// Identifiers of the main window's child controls.
#pragma once

namespace kx {

constexpr int IDC_SEARCH_EDIT = 101;
constexpr int IDC_STATUS = 103;
// Tag button k has IDC_TAG_BASE + k.
constexpr int IDC_TAG_BASE = 200;

}  // namespace kx
