// The binary glTF container and its safe writing.
//
// A .glb is a 12-byte header ("glTF", version 2, total length) and two
// chunks, each a length, a type and its bytes padded to four: the JSON
// (padded with spaces) and the binary buffer (padded with zeros).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace smd2gltf {

// False (and out left empty) when the total would pass the container's
// 32-bit length.
bool PackGlb(std::string_view json, std::span<const uint8_t> binary, std::vector<uint8_t>* out);

// Writes bytes to a new file beside path and renames it over path, so that
// path holds either its old content or all of the new one, never a part.
// False, with error saying why ("PATH: reason"), and nothing left behind.
bool WriteFileWhole(const std::string& path, std::span<const uint8_t> bytes, std::string* error);

}  // namespace smd2gltf
