// Windows error codes the program acts on. Named here rather than taken from winerror.h so
// that the portable code and the simulator agree on them without any Windows header.
#pragma once

#include <cstdint>

namespace kx {

constexpr std::uint32_t kErrorSuccess = 0;
constexpr std::uint32_t kErrorInvalidFunction = 1;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNotReady = 21;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorHandleEof = 38;
constexpr std::uint32_t kErrorNotSupported = 50;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kErrorDeviceNotConnected = 1167;
constexpr std::uint32_t kErrorJournalDeleteInProgress = 1178;
constexpr std::uint32_t kErrorJournalNotActive = 1179;
constexpr std::uint32_t kErrorJournalEntryDeleted = 1181;

}  // namespace kx
