#include "common/process_state.h"

namespace kx {

std::atomic<bool> ExitRequested{false};
std::atomic<std::uint64_t> SearchGeneration{0};
bool UseChinese = false;

}  // namespace kx
