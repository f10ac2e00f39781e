// Why a LoadReference or LoadAnimation call failed, for callers that report
// it themselves (the message boxes show the same).
#pragma once

#include <string>

#include "model/smd/smd_load_result.h"

struct SmdLoadFailure {
    SmdLoadResult result = SmdLoadResult::Ok;
    // Line of the file that was refused (1 = first line); 0 when no line is
    // to blame.
    int line = 0;
    // The reason in English ("node index 7 is outside 0..3"; for a file that
    // could not be read, "PATH: reason").
    std::string text;
};
