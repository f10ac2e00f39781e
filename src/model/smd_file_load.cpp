#include "model/smd_file_load.h"

#include <errno.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "model/load_messages.h"
#include "platform/files.h"
#include "platform/window/core/message_box.h"

namespace smd {
namespace {

void Fill(SmdLoadFailure* failure, SmdLoadResult result, int line, const std::string& text) {
    if (!failure) return;
    failure->result = result;
    failure->line = line;
    failure->text = text;
}

}  // namespace

void PrintNote(const char* format, ...) {
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text);
}

bool ReadSmdFile(const char* path, std::vector<uint8_t>* bytes, SmdLoadFailure* failure) {
    std::string error;
    if (ReadFileBytes(path, file_limits::kSmdFile, bytes, &error)) return true;
    Fill(failure, SmdLoadResult::Unreadable, 0, error);
    PrintNote("cannot read the model file %s", error.c_str());
    return false;
}

void ReportParseFailure(const char* path, const ParseStatus& status, SmdLoadFailure* failure) {
    Fill(failure, status.result, status.line, status.text);
    if (status.line > 0) {
        PrintNote("model file %s, line %d: %s", ResolvePath(path).c_str(), status.line, status.text.c_str());
    } else {
        PrintNote("model file %s: %s", ResolvePath(path).c_str(), status.text.c_str());
    }
    if (status.result == SmdLoadResult::NotSmd) {
        MessageBoxA(nullptr, kNotSmdMessage, kLoadErrorCaption, MB_OK);
    } else if (status.result == SmdLoadResult::WrongKind) {
        MessageBoxA(nullptr, kWrongKindMessage, kLoadErrorCaption, MB_OK);
    } else {
        char text[768];
        if (status.line > 0) {
            std::snprintf(text, sizeof(text), "%s, line %d: %s", path, status.line, status.text.c_str());
        } else {
            std::snprintf(text, sizeof(text), "%s: %s", path, status.text.c_str());
        }
        MessageBoxA(nullptr, text, kLoadErrorCaption, MB_OK);
    }
}

void ReportRefusal(const char* path, const char* reason, SmdLoadFailure* failure) {
    Fill(failure, SmdLoadResult::Refused, 0, reason);
    PrintNote("model file %s: %s", ResolvePath(path).c_str(), reason);
    char text[512];
    std::snprintf(text, sizeof(text), "%s: %s", path, reason);
    MessageBoxA(nullptr, text, kLoadErrorCaption, MB_OK);
}

}  // namespace smd
