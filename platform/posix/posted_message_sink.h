// Where messages posted to a window go when there is no window system: tests install a sink
// and read what the workers posted.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/window_post.h"

namespace kx {

using PostedMessageSink =
    std::function<bool(WindowHandle, unsigned, std::uintptr_t, std::intptr_t)>;

// Replaces the sink; an empty one makes every post fail.
void SetPostedMessageSink(PostedMessageSink sink);

}  // namespace kx
