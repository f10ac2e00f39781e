// Names of cache entries: a 128-bit XXH3 hash of everything a result depends
// on, as 32 hex digits. Each piece is added with its length first, so that
// ("ab", "c") and ("a", "bc") give different keys.
//
// xxHash is a hash for lookups, not a cryptographic one: a cache folder is the
// user's own, and an entry only ever holds what this program wrote there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace disk_cache {

// The pieces are gathered and hashed at once: keys are made of a few
// kilobytes (an effect's text, two shaders), once per compile.
struct CacheKey {
    std::string material;

    CacheKey& Add(std::string_view bytes);
    CacheKey& AddNumber(uint64_t number);
    // 32 lower-case hex digits.
    std::string Hex() const;
};

// The 64-bit XXH3 hash of bytes (entry checksums, file contents).
uint64_t Hash64(std::string_view bytes);

}  // namespace disk_cache
