// Compiled effects kept on disk, so that an effect compiled once starts the
// next run without the compiler process: the compiler's answer (the GLSL of
// each pass and the reflection data, effect_codec.h) is an entry of the cache
// folder "effects" (platform/cache/cache_entry.h).
//
// An entry is named by a hash of the compile request (the effect's text as
// read, its path, which messages name and #include names are read from), the
// answer's format version, glslang's and SPIRV-Cross's versions and the
// identity of the compiler program and of the SPIRV-Cross library (path,
// size, modification time: a rebuilt or upgraded compiler misses). It lists
// the #include files the compile read with a hash of their bytes: it is used
// only while each of them still holds those bytes. Only compiled effects are
// kept; an effect that does not compile is compiled (and refused) each time.
#pragma once

#include <string>

#include "platform/gfx/effect/effect_codec.h"

namespace gfx::effect {

// The entry's name for request, compiled by the compiler program at program.
std::string EffectCacheName(const CompileRequest& request, const std::string& program);

// The compiled effect of entry name in folder, when the entry is whole, of
// this format, compiled, and each #include file it lists has its bytes.
bool LoadCachedEffect(const std::string& folder, const std::string& name, CompiledEffect* out);

// Writes effect as entry name in folder; false with error when it cannot.
bool StoreCachedEffect(const std::string& folder, const std::string& name,
                       const CompiledEffect& effect, std::string* error);

// The cache folder of compiled effects; empty when there is none (RR_NO_CACHE=1).
std::string EffectCacheFolder();

// CompileEffectIsolated (compile_child.h) with the cache in folder in front
// of it: an entry for the text gives the effect without the compiler
// process; otherwise the effect is compiled, and kept when it compiles. A
// folder that cannot be written only means the next run compiles again.
bool CompileEffectCached(const std::string& text, const std::string& path, CompiledEffect* out,
                         std::string* log, const std::string& folder = EffectCacheFolder());

// Whether the effect file at path has an entry in the cache: the program
// then needs no compiler process to start (StartCompilerProcess).
bool EffectFileIsCached(const std::string& path, const std::string& folder = EffectCacheFolder());

}  // namespace gfx::effect
