#include "common/process_state.h"

namespace kx {

std::atomic<bool> ExitRequested{false};
std::atomic<std::uint64_t> SearchGeneration{0};
std::atomic<std::uint64_t> OutOfMemoryFailures{0};
bool UseChinese = false;

}  // namespace kx
