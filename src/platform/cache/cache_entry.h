// Entries of the start-up cache on disk: one file per result, named by its
// key (cache_key.h) in the folder of its kind.
//
// A file holds "RRCACHE\n", a tag (the kind of entry and its format's
// version), the payload's size and its XXH3-64 checksum (little-endian 32-
// and 64-bit numbers), then the payload. Reading checks all of it: a file
// that is missing, unreadable, not a regular file, cut short, longer, damaged
// or of another tag or version gives no payload, and the caller computes the
// result anew and writes the entry again.
//
// Writing makes the folder when it is missing (mode 0700), writes a
// temporary file beside the entry and renames it over the entry's name, so
// that a reader, in this program or another one at the same time, sees the
// old entry or the new one, whole. There is no fsync: a crash may leave an
// entry cut or empty, which its checksum refuses like any other damage.
//
// RR_NO_CACHE=1 in the environment turns the cache off (CacheFolder is
// empty): nothing is read or written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace disk_cache {

// The folder of one kind of entry: $XDG_CACHE_HOME/reflect-refract/KIND, or
// $HOME/.cache/reflect-refract/KIND when XDG_CACHE_HOME is unset, empty or
// not absolute. Empty when RR_NO_CACHE=1 or neither is known.
std::string CacheFolder(const std::string& kind);

// mkdir -p with mode 0700 for the folders it makes; false with error when
// one cannot be made or folder is not a folder.
bool MakeFolders(const std::string& folder, std::string* error);

// The bytes of an entry, and back.
std::string SealEntry(uint32_t tag, std::string_view payload);
bool OpenEntry(std::string_view bytes, uint32_t tag, std::string* payload);

// The payload of folder/name; false when the file holds no whole entry of
// this tag, or is larger than maxBytes.
bool ReadEntry(const std::string& folder, const std::string& name, uint32_t tag, size_t maxBytes,
               std::string* payload);

// Writes payload as folder/name, atomically (above), then trims the folder
// (TrimFolder with the limits below). false with error when the folder cannot
// be made or written; the first such failure of the process is also noted on
// stderr, once: the program goes on without the cache.
bool WriteEntry(const std::string& folder, const std::string& name, uint32_t tag,
                std::string_view payload, std::string* error);

// A folder keeps at most this many entries and bytes.
constexpr size_t kMaxEntries = 256;
constexpr uint64_t kMaxFolderBytes = uint64_t(64) << 20;

// Removes the oldest files of folder (by modification time) until at most
// maxEntries files and maxBytes remain; a temporary file younger than a
// minute is another writer's and stays.
void TrimFolder(const std::string& folder, size_t maxEntries, uint64_t maxBytes);

}  // namespace disk_cache
