// The SMD parser: the bytes of a file in, plain data or a refusal out.
//
// Both kinds of file are read as the program has always read them: line by
// line, 255 characters a line (the rest of a longer line is skipped), the
// first word deciding what a line is (keywords without regard to case),
// blank lines skipped inside sections, numbers read as the C library's
// "%d" and "%f" read them. A refusal names its kind, line and reason; the
// output is written only when the result is Ok.
#pragma once

#include <cstdint>
#include <span>

#include "model/smd/parsed_smd.h"

namespace smd {

// A reference file: NotSmd unless the first line is "version 1", WrongKind
// for more than one time line, Malformed for a fault that would corrupt the
// mesh. Several triangles sections fill consecutive triangles, each corner
// moved into its bone's space once, when its section ends.
ParseStatus ParseReference(std::span<const uint8_t> bytes, Reference* out);

// An animation file: WrongKind for more than one triangle; Malformed also
// for a keyframe number given twice.
ParseStatus ParseAnimation(std::span<const uint8_t> bytes, Animation* out);

}  // namespace smd
