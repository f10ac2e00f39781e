#include "app/stderr_boxes.h"

#include <cstdio>

#include "platform/text/cp949.h"
#include "platform/window/core/message_box.h"

namespace {

bool toStderr = false;

int WriteBoxToStderr(HWND, const char* text, const char* caption, UINT) {
    std::fprintf(stderr, "reflect-refract: %s: %s\n", text::Cp949ToUtf8(caption).c_str(),
                 text::Cp949ToUtf8(text).c_str());
    return IDOK;
}

}  // namespace

void SendMessageBoxesToStderr() {
    SetMessageBoxHandler(WriteBoxToStderr);
    toStderr = true;
}

bool MessageBoxesGoToStderr() {
    return toStderr;
}
