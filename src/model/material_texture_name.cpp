#include "model/material_texture_name.h"

#include <cstring>

#include "platform/files.h"

namespace {

bool HasExtension(const char* name) {
    const char* part = name;
    for (const char* c = name; *c; ++c)
        if (*c == '/' || *c == '\\') part = c + 1;
    const char* dot = std::strrchr(part, '.');
    if (!dot || dot == part) return false;
    for (const char* c = dot + 1; *c; ++c)
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z')) return true;
    return false;
}

}  // namespace

std::string MaterialTextureName(const std::string& baseFolder, const char* directory,
                                const char* name) {
    if (!name || !*name || HasExtension(name)) return name ? name : "";
    static constexpr const char* kExtensions[] = {".png", ".tga", ".bmp", ".jpg"};
    const std::string prefix = std::string(directory ? directory : "") + name;
    for (const char* extension : kExtensions)
        if (IsRegularFileIn(baseFolder, (prefix + extension).c_str()))
            return name + std::string(extension);
    return name;
}
