#include "model/smd_file_load.h"

#include <cstdio>
#include <string>

#include "model/load_messages.h"
#include "platform/files.h"

namespace smd {
namespace {

void Fill(SmdLoadFailure* failure, SmdLoadResult result, int line, const std::string& text) {
    if (!failure) return;
    failure->result = result;
    failure->line = line;
    failure->text = text;
}

}  // namespace

bool ReadSmdFile(const LoadContext& context, const char* path, std::vector<uint8_t>* bytes,
                 SmdLoadFailure* failure) {
    std::string error;
    if (ReadFileBytesIn(context.baseFolder, path, file_limits::kSmdFile, bytes, &error))
        return true;
    Fill(failure, SmdLoadResult::Unreadable, 0, error);
    context.report.NoteFormat("cannot read the model file %s", error.c_str());
    return false;
}

void ReportParseFailure(const LoadContext& context, const char* path, const ParseStatus& status,
                        SmdLoadFailure* failure) {
    Fill(failure, status.result, status.line, status.text);
    std::string name = NameIn(context.baseFolder, path);
    if (status.line > 0) {
        context.report.NoteFormat("model file %s, line %d: %s", name.c_str(), status.line,
                                  status.text.c_str());
    } else {
        context.report.NoteFormat("model file %s: %s", name.c_str(), status.text.c_str());
    }
    if (status.result == SmdLoadResult::NotSmd) {
        context.report.Box(kLoadErrorCaption, kNotSmdMessage);
    } else if (status.result == SmdLoadResult::WrongKind) {
        context.report.Box(kLoadErrorCaption, kWrongKindMessage);
    } else {
        char text[768];
        if (status.line > 0) {
            std::snprintf(text, sizeof(text), "%s, line %d: %s", path, status.line,
                          status.text.c_str());
        } else {
            std::snprintf(text, sizeof(text), "%s: %s", path, status.text.c_str());
        }
        context.report.Box(kLoadErrorCaption, text);
    }
}

void ReportRefusal(const LoadContext& context, const char* path, const char* reason,
                   SmdLoadFailure* failure) {
    Fill(failure, SmdLoadResult::Refused, 0, reason);
    context.report.NoteFormat("model file %s: %s", NameIn(context.baseFolder, path).c_str(),
                              reason);
    char text[512];
    std::snprintf(text, sizeof(text), "%s: %s", path, reason);
    context.report.Box(kLoadErrorCaption, text);
}

}  // namespace smd
