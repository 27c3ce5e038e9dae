#include "tests/support/message_recorder.h"

namespace kx::testing {

bool MessageRecorder::WaitForCount(std::size_t count, std::chrono::milliseconds timeout) {
    return WaitUntil(
        std::chrono::steady_clock::now() + timeout,
        [count](const std::vector<RecordedMessage>& all) { return all.size() >= count; });
}

std::optional<RecordedMessage> MessageRecorder::WaitFor(unsigned message,
                                                        std::chrono::milliseconds timeout) {
    std::optional<RecordedMessage> found;
    WaitUntil(std::chrono::steady_clock::now() + timeout,
              [&](const std::vector<RecordedMessage>& all) {
                  returned_.resize(all.size(), false);
                  for (std::size_t i = 0; i < all.size(); ++i) {
                      if (!returned_[i] && all[i].message == message) {
                          returned_[i] = true;
                          found = all[i];
                          return true;
                      }
                  }
                  return false;
              });
    return found;
}

}  // namespace kx::testing
