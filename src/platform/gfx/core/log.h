// Where the device layer's diagnostics go: calls it refuses with their
// reason, GL errors, devices released while their objects live, objects it
// cannot create. Like the message boxes' handler, one installed sink gets
// every line; with none, lines go to stderr as "gfx: <line>". Tests install
// a sink to read why a call was refused.
#pragma once

#include "platform/gfx/core/types.h"

namespace gfx {

using LogSink = void (*)(const char* line);

// Installs sink (null: stderr); returns the previous one.
LogSink SetLogSink(LogSink sink);

// Writes one line (printf format, no newline) to the sink.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A call refused for a reason: logs "<call>: <reason>" and returns
// D3DERR_INVALIDCALL.
HRESULT Refuse(const char* call, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace gfx
