// Reading WM_SYSCOMMAND's wParam.
#pragma once

#include <cstdint>

namespace kx {

constexpr std::uintptr_t kScMinimize = 0xF020;  // SC_MINIMIZE
// Windows uses the low four bits of a system command internally (a click on the
// minimise box arrives as SC_MINIMIZE | 2, for instance), so they are cleared before comparing.
constexpr std::uintptr_t kSystemCommandMask = ~static_cast<std::uintptr_t>(0xF);

constexpr bool IsMinimizeCommand(std::uintptr_t wParam) {
    return (wParam & kSystemCommandMask) == kScMinimize;
}

}  // namespace kx
