// The steps both SMD loaders share around the parser: reading the file from
// the context's base folder and reporting a failure to the context's sink,
// as a box (caption "Error") and a note that names the file (with '/'
// separators) and the reason.
#pragma once

#include <cstdint>
#include <vector>

#include "model/load_context.h"
#include "model/smd/parsed_smd.h"
#include "model/smd_load_failure.h"

namespace smd {

// The bytes of path (a regular file of at most file_limits::kSmdFile
// bytes). False otherwise, with failure set to Unreadable and a note but no
// box.
bool ReadSmdFile(const LoadContext& context, const char* path, std::vector<uint8_t>* bytes,
                 SmdLoadFailure* failure);

// Reports a refused parse of path: the note, then the box with the Korean
// texts for NotSmd and WrongKind, "path, line N: reason" for Malformed;
// fills failure.
void ReportParseFailure(const LoadContext& context, const char* path, const ParseStatus& status,
                        SmdLoadFailure* failure);

// Reports "path: reason" for a load refused before the file was read.
void ReportRefusal(const LoadContext& context, const char* path, const char* reason,
                   SmdLoadFailure* failure);

}  // namespace smd
