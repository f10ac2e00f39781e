// The texture file a material names. Exporters write material names
// without an extension ("skin" for skin.png beside the model) or with one
// ("skin.bmp"); both are looked up beside the reference file.
#pragma once

#include <string>

// The file name, relative to the reference's directory prefix, of the
// texture of material `name`. A name whose last part has no extension (no
// dot followed by a part holding a letter: "skin", "Material.001") takes
// the first of .png, .tga, .bmp and .jpg with which a regular file exists
// (the extension in any case, as every path is looked up); a name with an
// extension, or one that finds none, stays as it is. A folder part stays in
// place. Relative paths are taken from baseFolder (empty: the working
// folder).
std::string MaterialTextureName(const std::string& baseFolder, const char* directory,
                                const char* name);
