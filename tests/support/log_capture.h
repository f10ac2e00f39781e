// Reads what the device layer logs (refused calls and their reasons) while
// it lives: installs a log sink, puts the previous one back at the end.
#pragma once

#include <string>
#include <vector>

#include "platform/gfx/core/log.h"

namespace rrtest {

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<std::string>& Lines() const { return lines_; }
    // Whether a logged line holds text.
    bool Contains(const std::string& text) const;
    // All lines, one per line, for failure messages.
    std::string Text() const;

private:
    static void Collect(const char* line);
    std::vector<std::string> lines_;
    gfx::LogSink previousSink_;
    LogCapture* previousCapture_;
};

}  // namespace rrtest
