// A Buffer holding a zero-terminated text: how creation calls hand back messages.
#pragma once

#include <string>

#include "platform/gfx/core/device.h"

namespace gfx {

// A new buffer (one reference) holding text and a terminating zero.
Buffer* CreateTextBuffer(const std::string& text);

}  // namespace gfx
