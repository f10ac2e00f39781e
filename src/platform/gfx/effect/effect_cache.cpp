#include "platform/gfx/effect/effect_cache.h"

#include <dlfcn.h>
#include <glslang/build_info.h>
#include <spirv_cross/spirv_cross_c.h>
#include <sys/stat.h>

#include <cstdint>
#include <vector>

#include "platform/cache/cache_entry.h"
#include "platform/cache/cache_key.h"
#include "platform/files.h"
#include "platform/gfx/effect/compile_child.h"
#include "platform/gfx/effect/hlsl_compiler.h"

namespace gfx::effect {

namespace {

// "EFX" and the entry's own layout version (the answer inside carries the
// codec's).
constexpr uint32_t kEntryTag = 0x00584645 | (1u << 24);
// An answer of this size is far beyond any real effect; a larger file is not
// read.
constexpr size_t kMaxEntryBytes = size_t(64) << 20;
// What the compiler is asked to make, besides the request: GLSL 4.50 from
// HLSL in glslang's Direct3D 9 mode (hlsl_compiler.cpp, spirv_to_glsl.cpp).
constexpr char kOptions[] = "hlsl-dx9 spv1.0 glsl450";

// Path, size and modification time: a file rebuilt or upgraded in place
// gives another identity.
void AddFileIdentity(disk_cache::CacheKey* key, const std::string& path) {
    struct stat info;
    key->Add(path);
    if (stat(path.c_str(), &info) != 0) {
        key->AddNumber(UINT64_MAX);
        return;
    }
    key->AddNumber(uint64_t(info.st_size))
        .AddNumber(uint64_t(info.st_mtim.tv_sec))
        .AddNumber(uint64_t(info.st_mtim.tv_nsec));
}

std::string SpirvCrossLibrary() {
    Dl_info info = {};
    void* symbol = reinterpret_cast<void*>(&spvc_get_version);
    return dladdr(symbol, &info) && info.dli_fname ? info.dli_fname : "";
}

bool SameBytes(const IncludedFile& file) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(file.path.c_str(), kMaxExpandedBytes, &bytes, &error)) return false;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return disk_cache::Hash64(text) == file.hash;
}

bool ReadRequest(const std::string& text, const std::string& path, CompileRequest* request,
                 std::string* log) {
    request->path = path;
    std::string error;
    if (ReadEffectSource(text, path, &request->source, &error)) return true;
    *log = error + "\n";
    return false;
}

}  // namespace

std::string EffectCacheName(const CompileRequest& request, const std::string& program) {
    disk_cache::CacheKey key;
    key.Add("reflect-refract effect").AddNumber(kCodecFormat).Add(kOptions);
    key.AddNumber(GLSLANG_VERSION_MAJOR)
        .AddNumber(GLSLANG_VERSION_MINOR)
        .AddNumber(GLSLANG_VERSION_PATCH)
        .Add(GLSLANG_VERSION_FLAVOR);
    unsigned major = 0, minor = 0, patch = 0;
    spvc_get_version(&major, &minor, &patch);
    key.AddNumber(major).AddNumber(minor).AddNumber(patch);
    AddFileIdentity(&key, SpirvCrossLibrary());
    AddFileIdentity(&key, program);
    key.Add(EncodeRequest(request));
    return key.Hex() + ".effect";
}

bool LoadCachedEffect(const std::string& folder, const std::string& name, CompiledEffect* out) {
    std::string payload;
    if (!disk_cache::ReadEntry(folder, name, kEntryTag, kMaxEntryBytes, &payload)) return false;
    CompileResult result;
    if (!DecodeResult(payload, &result) || !result.compiled) return false;
    for (const IncludedFile& file : result.effect.includes) {
        if (!SameBytes(file)) return false;
    }
    *out = std::move(result.effect);
    return true;
}

bool StoreCachedEffect(const std::string& folder, const std::string& name,
                       const CompiledEffect& effect, std::string* error) {
    CompileResult result;
    result.compiled = true;
    result.effect = effect;
    return disk_cache::WriteEntry(folder, name, kEntryTag, EncodeResult(result), error);
}

std::string EffectCacheFolder() { return disk_cache::CacheFolder("effects"); }

bool CompileEffectCached(const std::string& text, const std::string& path, CompiledEffect* out,
                         std::string* log, const std::string& folder) {
    log->clear();
    CompileRequest request;
    if (!ReadRequest(text, path, &request, log)) return false;
    const std::string program = CompilerProgramPath();
    const std::string name = folder.empty() ? std::string() : EffectCacheName(request, program);
    if (!folder.empty() && LoadCachedEffect(folder, name, out)) return true;
    if (!CompileRequestIsolated(request, program, out, log)) return false;
    std::string error;
    if (!folder.empty()) StoreCachedEffect(folder, name, *out, &error);
    return true;
}

bool EffectFileIsCached(const std::string& path, const std::string& folder) {
    if (folder.empty()) return false;
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path.c_str(), file_limits::kEffect, &bytes, &error)) return false;
    CompileRequest request;
    if (!ReadRequest(std::string(bytes.begin(), bytes.end()), path, &request, &error)) return false;
    CompiledEffect effect;
    return LoadCachedEffect(folder, EffectCacheName(request, CompilerProgramPath()), &effect);
}

}  // namespace gfx::effect
