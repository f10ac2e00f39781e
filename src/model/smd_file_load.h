// The steps both SMD loaders share around the parser: reading the file and
// reporting a failure with the loaders' message boxes (caption "Error") and
// a line on stderr that names the file (with '/' separators) and the reason.
#pragma once

#include <cstdint>
#include <vector>

#include "model/smd/parsed_smd.h"
#include "model/smd_load_failure.h"

namespace smd {

// The bytes of path (a regular file of at most file_limits::kSmdFile
// bytes). False, with failure set to Unreadable and no message, otherwise.
bool ReadSmdFile(const char* path, std::vector<uint8_t>* bytes, SmdLoadFailure* failure);

// Shows the message for a refused parse of path: the Korean texts for
// NotSmd and WrongKind, "path, line N: reason" for Malformed; fills failure.
void ReportParseFailure(const char* path, const ParseStatus& status, SmdLoadFailure* failure);

// Shows "path: reason" for a load refused before the file was read.
void ReportRefusal(const char* path, const char* reason, SmdLoadFailure* failure);

// One line on stderr, "PROGRAM: " and the formatted text: what a model
// author would want to know about a file, whether or not a box shows it.
void PrintNote(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace smd
