// The effect compiler's input and output as bytes: what goes to the compiler
// process through its pipe and comes back, and what a cache on disk can keep.
//
// Little-endian 32-bit numbers and length-prefixed strings, a magic word and
// a format number first. Reading checks every length against the bytes that
// are left, so a short, cut or hostile buffer is refused, never read past.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gfx/effect/effect_compiler.h"
#include "platform/gfx/effect/effect_source.h"

namespace gfx::effect {

// The format's version, written after the magic word: a reader takes only
// its own (2: the compiled effect lists the #include files it read).
constexpr uint32_t kCodecFormat = 2;

// What the compiler process is asked: the read source and the file's name
// for messages.
struct CompileRequest {
    std::string path;
    EffectSource source;
};

// Its answer: the compiled effect, or the compiler's messages.
struct CompileResult {
    bool compiled = false;
    CompiledEffect effect;  // when compiled
    std::string log;        // messages when not compiled
};

std::string EncodeRequest(const CompileRequest& request);
bool DecodeRequest(const std::string& bytes, CompileRequest* request);

std::string EncodeResult(const CompileResult& result);
bool DecodeResult(const std::string& bytes, CompileResult* result);

}  // namespace gfx::effect
