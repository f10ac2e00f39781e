#include "platform/report/report_sink.h"

#include <cstdarg>
#include <cstdio>

void ReportSink::NoteFormat(const char* format, ...) const {
    if (!note) return;
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    note(context, text);
}
