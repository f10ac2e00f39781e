#include "platform/window/core/message_box.h"

#include <cstdio>

namespace {
MessageBoxHandler currentHandler = nullptr;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = currentHandler;
    currentHandler = handler;
    return previous;
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    if (currentHandler) return currentHandler(owner, text, caption, type);
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return IDOK;
}
