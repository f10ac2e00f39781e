#include "model/smd_file_load.h"

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

bool ReadSmdFile(const char* path, std::vector<uint8_t>* bytes, SmdLoadFailure* failure) {
    std::string error;
    if (ReadFileBytes(path, file_limits::kSmdFile, bytes, &error)) return true;
    Fill(failure, SmdLoadResult::Unreadable, 0, error);
    return false;
}

void ReportParseFailure(const char* path, const ParseStatus& status, SmdLoadFailure* failure) {
    Fill(failure, status.result, status.line, status.text);
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
    char text[512];
    std::snprintf(text, sizeof(text), "%s: %s", path, reason);
    MessageBoxA(nullptr, text, kLoadErrorCaption, MB_OK);
}

}  // namespace smd
