// The steps both SMD loaders share around the parser: taking the parse made
// ahead or reading the file from the context's base folder, and reporting a
// failure to the context's sink, as a box (caption "Error") and a note that
// names the file (with '/' separators) and the reason.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
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

// The parse of path into parsed: the one prepared ahead (moved from), or
// the file read and parsed now. False when the file could not be read
// (reported as ReadSmdFile does); otherwise status is the parse's result,
// Ok for a prepared one.
template <class Parsed>
bool TakeOrParse(const LoadContext& context, const char* path, Parsed* prepared,
                 ParseStatus (*parse)(std::span<const uint8_t>, Parsed*), Parsed* parsed,
                 ParseStatus* status, SmdLoadFailure* failure) {
    *status = ParseStatus{};
    if (prepared) {
        *parsed = std::move(*prepared);
        return true;
    }
    std::vector<uint8_t> bytes;
    if (!ReadSmdFile(context, path, &bytes, failure)) return false;
    *status = parse(bytes, parsed);
    return true;
}

// Reports a refused parse of path: the note, then the box with the Korean
// texts for NotSmd and WrongKind, "path, line N: reason" for Malformed;
// fills failure.
void ReportParseFailure(const LoadContext& context, const char* path, const ParseStatus& status,
                        SmdLoadFailure* failure);

// Reports "path: reason" for a load refused before the file was read.
void ReportRefusal(const LoadContext& context, const char* path, const char* reason,
                   SmdLoadFailure* failure);

}  // namespace smd
