// A report sink that keeps what it is sent, for tests of the loaders, the
// scene and start-up: every note, and every box with its caption and text.
#pragma once

#include <string>
#include <vector>

#include "platform/report/report_sink.h"

namespace rrtest {

struct ReportCapture {
    struct Box {
        std::string caption;
        std::string text;
    };
    std::vector<std::string> notes;
    std::vector<Box> boxes;

    ReportSink Sink() {
        ReportSink sink;
        sink.context = this;
        sink.note = [](void* context, const char* text) {
            static_cast<ReportCapture*>(context)->notes.push_back(text);
        };
        sink.box = [](void* context, const char* caption, const char* text) {
            static_cast<ReportCapture*>(context)->boxes.push_back({caption, text});
        };
        return sink;
    }
    void Clear() {
        notes.clear();
        boxes.clear();
    }
};

}  // namespace rrtest
