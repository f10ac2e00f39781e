#include "support/log_capture.h"

namespace rrtest {

namespace {
LogCapture* current = nullptr;
}

LogCapture::LogCapture() : previousSink_(gfx::SetLogSink(Collect)), previousCapture_(current) {
    current = this;
}

LogCapture::~LogCapture() {
    current = previousCapture_;
    gfx::SetLogSink(previousSink_);
}

void LogCapture::Collect(const char* line) {
    if (current) current->lines_.emplace_back(line);
}

bool LogCapture::Contains(const std::string& text) const {
    for (const std::string& line : lines_)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

std::string LogCapture::Text() const {
    std::string text;
    for (const std::string& line : lines_) text += line + "\n";
    return text;
}

}  // namespace rrtest
