// The panel's messages list: every note the loaders and the scene's changes
// wrote in this run, newest first. The list sits between the composition's
// report sinks and their routes (a tee): each note goes on to stderr as
// before and is kept here too.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "platform/report/report_sink.h"

inline constexpr size_t kMaxPanelMessages = 500;

struct PanelMessages {
    std::deque<std::string> newestFirst;  // at most kMaxPanelMessages; the oldest go
    void Add(const char* text);
};

// A sink that keeps each note in `messages` and then hands note and box to
// `next`; the tee must outlive the sink made of it.
struct MessageTee {
    PanelMessages* messages = nullptr;
    ReportSink next;
};
ReportSink TeeReport(MessageTee* tee);
