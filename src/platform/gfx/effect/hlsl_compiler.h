// One entry point of an HLSL source to SPIR-V, with glslang's HLSL front end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/effect/effect_compiler.h"
#include "platform/gfx/effect/effect_source.h"

namespace gfx::effect {

// The most text the effect may become once its macros are expanded, and the
// most its #include files may add.
constexpr size_t kMaxExpandedBytes = 16u << 20;
// How deep #include files may include others.
constexpr size_t kMaxIncludeDepth = 8;

// The folder an effect's #include "name" is read from: the folder of the
// file at path ("." for a bare name). Names are relative, without "..", so
// an include never leaves that folder.
std::string IncludeFolder(const std::string& path);

// Compiles entry of source (the effect text as read, blocks blanked) for
// stage. path names the source in messages. Errors and warnings come back in
// log, one per line, as "path(line,column): error: what" (columns through
// shifts, see OriginalColumn). The SPIR-V carries the lines of the source, so
// the GLSL written from it can say which line each statement came from.
// Returns false when nothing usable was produced (log then holds at least one
// error).
bool CompileHlsl(const std::string& source, const std::string& path, Stage stage,
                 const std::string& entry, std::vector<uint32_t>* spirv, std::string* log,
                 const std::vector<ColumnShift>& shifts = {},
                 std::vector<IncludedFile>* included = nullptr);
// #include files are read from IncludeFolder(path); included, when given,
// gains each file the compile read (once per path and contents).

// Expands source's macros with glslang's preprocessor. false with log when
// the preprocessor refuses the text or the result is larger than
// kMaxExpandedBytes.
bool PreprocessHlsl(const std::string& source, const std::string& path, std::string* expanded,
                    std::string* log, const std::vector<ColumnShift>& shifts = {});

// Rewrites glslang's messages ("ERROR: path:12: 'x' : unknown variable")
// into "path(12,5): error: 'x' : unknown variable" (the column where the
// quoted name stands on that line of source, when source is given; through
// shifts); drops its summary lines.
std::string TranslateGlslangLog(const std::string& raw, const std::string& path,
                                const std::string& source = {},
                                const std::vector<ColumnShift>& shifts = {});

// Line n (1-based) of text, empty past its end.
std::string_view LineOf(const std::string& text, int n);

}  // namespace gfx::effect
