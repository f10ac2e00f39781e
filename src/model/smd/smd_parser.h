// The SMD parser: the bytes of a file in, plain data or a refusal out.
//
// Both kinds of file are read as the program has always read them: line by
// line, 255 characters a line (the rest of a longer line is skipped), the
// first word deciding what a line is (keywords without regard to case),
// blank lines skipped inside sections, numbers read as the C library's
// "%d" and "%f" read them. A refusal names its kind, line and reason; the
// output is written only when the result is Ok.
//
// Bones are numbered by node ids that may skip numbers; they take slots in
// the order of the node lines, and every later field that names a bone
// names it by id. A node's id must not come twice and its parent must be a
// node listed before it.
#pragma once

#include <cstdint>
#include <span>

#include "model/smd/parsed_smd.h"

namespace smd {

// A reference file: NotSmd unless the first line is "version 1", WrongKind
// for more than one time line, Malformed for a fault that would corrupt the
// mesh. Several triangles sections fill consecutive triangles, each corner
// moved into its bone's space once, when its section ends. A vertex line may
// carry weight links after u v (a count, then bone id and weight pairs).
ParseStatus ParseReference(std::span<const uint8_t> bytes, Reference* out);

// An animation file: WrongKind for more than one triangle; Malformed also
// for a keyframe number given twice. Keyframe numbers count from the
// smallest of them: numbered 0 to n - 1 or 1 to n, in any order, the blocks
// fill keyframes 0 to n - 1.
ParseStatus ParseAnimation(std::span<const uint8_t> bytes, Animation* out);

}  // namespace smd
