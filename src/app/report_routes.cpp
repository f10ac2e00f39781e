#include "app/report_routes.h"

#include <cstdio>

#include "platform/report/program_name.h"
#include "platform/text/cp949.h"
#include "platform/window/core/message_box.h"
#include "platform/window/core/window_api.h"

namespace {

void NoteToStderr(void*, const char* text) { std::fprintf(stderr, "%s: %s\n", kProgramName, text); }

void ShowBox(void*, const char* caption, const char* text) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

void ShowErrorBox(void*, const char* caption, const char* text) {
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
}

// The box's code-page-949 text as UTF-8.
void BoxToStderr(void*, const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s: %s\n", kProgramName, text::Cp949ToUtf8(caption).c_str(),
                 text::Cp949ToUtf8(text).c_str());
}

}  // namespace

ReportSink StderrReport(BoxRoute boxes) {
    ReportSink sink;
    sink.note = NoteToStderr;
    if (boxes == BoxRoute::Shown) sink.box = ShowBox;
    if (boxes == BoxRoute::ShownAsErrors) sink.box = ShowErrorBox;
    if (boxes == BoxRoute::AsStderrLines) sink.box = BoxToStderr;
    return sink;
}
