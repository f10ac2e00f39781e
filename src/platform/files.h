// Opening the program's file paths on this file system.
//
// The program names its files with backslashes and in any letter case
// ("Model\SMD\Pudo_Red\Ref_Red.smd"), as SMD files name their textures.
// OpenFile turns every '\' into '/', and when a path component does not exist
// with its exact name, looks for it case-insensitively in its folder.
//
// A relative path is read from a base folder that the caller names (the
// "...In" functions); an empty base folder is the working folder. The
// working folder itself never changes.
//
// Every file the program reads goes through ReadFileBytes (or OpenFile): only
// regular files are opened (a FIFO, a device or a folder is refused at once,
// without blocking), and each kind of file has a size limit, named here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The largest file of each kind the program reads. Far above any real file
// (our character's reference is 0.5 MB, the cube map 6 MB, the effect 3 KB),
// low enough that a hostile file cannot take the machine's memory.
namespace file_limits {
constexpr size_t kSmdFile = size_t(256) << 20;
constexpr size_t kTexture = size_t(96) << 20;
constexpr size_t kCubeMap = size_t(256) << 20;
constexpr size_t kEffect = size_t(16) << 20;
}  // namespace file_limits

// The path as it exists on disk, or the path with '/' separators when no
// match exists (so that the caller's open fails with the usual error).
std::string ResolvePath(const char* path);
// The same for a relative path inside folder (an absolute path ignores
// folder): the result starts with folder and a '/', unless folder is empty.
std::string ResolvePathIn(const std::string& folder, const char* path);
// The path to open for path read from folder: path unchanged when folder is
// empty (the open resolves it), else ResolvePathIn(folder, path).
std::string PathIn(const std::string& folder, const char* path);
// How messages name path read from folder: resolved as the open resolves it,
// relative to folder as it was written relative to it (an absolute path
// stays absolute), '/' separators. With an empty folder, ResolvePath(path).
std::string NameIn(const std::string& folder, const char* path);
// True when ResolvePathIn(folder, path) names a regular file.
bool IsRegularFileIn(const std::string& folder, const char* path);

// The working folder as an absolute path; empty when it cannot be read.
std::string WorkingFolder();
// The path as messages show it to a person: resolved as the open would
// resolve it, '/' separators, no leading "./", and absolute (a relative path
// is put after the working folder), so that it can be found from anywhere.
std::string DisplayPath(const char* path);
// The same for path read from folder: a relative path is put after folder
// (itself put after the working folder when relative).
std::string DisplayPathIn(const std::string& folder, const char* path);

// fopen(ResolvePath(path), mode) for a regular file; null when the path is
// null, cannot be opened or is not a regular file.
FILE* OpenFile(const char* path, const char* mode);

// The whole regular file at ResolvePath(path), at most limit bytes. False,
// with bytes emptied and error set to "PATH: reason" (PATH with '/'
// separators), when the file cannot be opened or read, is not a regular file,
// or is larger than limit.
bool ReadFileBytes(const char* path, size_t limit, std::vector<uint8_t>* bytes, std::string* error);
// The same for path read from folder; the error names the file as NameIn does.
bool ReadFileBytesIn(const std::string& folder, const char* path, size_t limit,
                     std::vector<uint8_t>* bytes, std::string* error);
