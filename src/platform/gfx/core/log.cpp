#include "platform/gfx/core/log.h"

#include <cstdarg>
#include <cstdio>

namespace gfx {

namespace {

LogSink installedSink = nullptr;

void Emit(const char* prefix, const char* format, va_list arguments) {
    // Room for a full path (PATH_MAX) and its reason.
    char line[8192];
    int used = std::snprintf(line, sizeof line, "%s", prefix);
    std::vsnprintf(line + used, sizeof line - size_t(used), format, arguments);
    if (installedSink)
        installedSink(line);
    else
        std::fprintf(stderr, "gfx: %s\n", line);
}

}  // namespace

LogSink SetLogSink(LogSink sink) {
    LogSink previous = installedSink;
    installedSink = sink;
    return previous;
}

void LogLine(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Emit("", format, arguments);
    va_end(arguments);
}

HRESULT Refuse(const char* call, const char* format, ...) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%s: ", call);
    va_list arguments;
    va_start(arguments, format);
    Emit(prefix, format, arguments);
    va_end(arguments);
    return D3DERR_INVALIDCALL;
}

}  // namespace gfx
