// Opening the program's file paths on this file system.
//
// The program names its files with backslashes and with the letter case of
// the system it came from ("Model\SMD\Pudo_Red\Ref_Red.smd"). OpenFile turns
// every '\' into '/', and when a path component does not exist with its exact
// name, looks for it case-insensitively in its folder.
#pragma once

#include <cstdio>
#include <string>

// The path as it exists on disk, or the path with '/' separators when no
// match exists (so that the caller's open fails with the usual error).
std::string ResolvePath(const char* path);

// fopen(ResolvePath(path), mode); null when the path is null or cannot be opened.
FILE* OpenFile(const char* path, const char* mode);
