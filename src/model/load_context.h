// What a loader is handed besides the file's path: the folder relative paths
// are read from, and the sink that receives its notes and message boxes.
#pragma once

#include <string>

#include "platform/report/report_sink.h"

struct LoadContext {
    // The folder a relative path (the file's own, and the texture paths a
    // reference builds from it) is read from; empty: the working folder.
    // Messages name such files relative to it, as their paths are written.
    std::string baseFolder;
    ReportSink report;
};
