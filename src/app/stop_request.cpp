#include "app/stop_request.h"

namespace {
StopQuery stopQuery = nullptr;
}

void SetStopQuery(StopQuery query) {
    stopQuery = query;
}

bool StopRequestedDuringStartup() {
    return stopQuery && stopQuery();
}
