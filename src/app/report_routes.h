// Where the program's notes and boxes go, chosen once by the composition
// (main.cpp): every note is one stderr line "reflect-refract: TEXT"; boxes
// are shown on screen, written to stderr as "reflect-refract: CAPTION: TEXT"
// (runs that nobody watches, where a box would wait forever for a click),
// or dropped (their text is in a note already).
#pragma once

#include "platform/report/report_sink.h"

enum class BoxRoute {
    Shown,          // a box with an OK button
    ShownAsErrors,  // the same with the error icon (the start-up failure)
    AsStderrLines,
    Dropped,
};

ReportSink StderrReport(BoxRoute boxes);
