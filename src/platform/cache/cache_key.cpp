#include "platform/cache/cache_key.h"

#include <xxhash.h>

#include <cstdio>

namespace disk_cache {

CacheKey& CacheKey::Add(std::string_view bytes) {
    AddNumber(bytes.size());
    material.append(bytes.data(), bytes.size());
    return *this;
}

CacheKey& CacheKey::AddNumber(uint64_t number) {
    for (int i = 0; i < 8; ++i) material += static_cast<char>((number >> (8 * i)) & 0xFF);
    return *this;
}

std::string CacheKey::Hex() const {
    XXH128_hash_t hash = XXH3_128bits(material.data(), material.size());
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                  static_cast<unsigned long long>(hash.low64));
    return text;
}

uint64_t Hash64(std::string_view bytes) { return XXH3_64bits(bytes.data(), bytes.size()); }

}  // namespace disk_cache
