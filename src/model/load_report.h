// Message boxes of the two loaders (caption "Error").
#pragma once

#include "model/smd_load_result.h"

struct SkinnedModel;

namespace smd {

// Shows the message for a failed parse of path: the Korean texts for NotSmd
// and WrongKind, and the file, line and cause for Malformed.
void ShowLoadError(const SkinnedModel& model, const char* path, SmdLoadResult result);
// Shows "path: reason" for a load refused before the file was read.
void ShowRefusal(const char* path, const char* reason);

}  // namespace smd
