#include "scene/effect_reload.h"

#include <algorithm>
#include <cctype>

#include "scene/effect_setup.h"

bool RecompileEffect(gfx::Device* device, const char* path, gfx::Effect*& effect,
                     gfx::EffectHandle& technique, std::string* text) {
    gfx::Effect* fresh = nullptr;
    gfx::EffectHandle freshTechnique = nullptr;
    if (!CompileEffectFile(device, path, &fresh, &freshTechnique, text)) return false;
    if (!freshTechnique) {
        *text = std::string(path) + ": no technique named \"" + kTechniqueName + "\"";
        gfx::SafeRelease(fresh);
        return false;
    }
    gfx::SafeRelease(effect);
    effect = fresh;
    technique = freshTechnique;
    return true;
}

std::string FirstErrorLine(const std::string& text) {
    std::string first, error;
    size_t start = 0;
    while (start < text.size() && error.empty()) {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        size_t from = line.find_first_not_of(" \t\r");
        if (from != std::string::npos) {
            line = line.substr(from, line.find_last_not_of(" \t\r") + 1 - from);
            if (first.empty()) first = line;
            std::string lower = line;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            if (lower.find("error") != std::string::npos) error = line;
        }
        start = end + 1;
    }
    return error.empty() ? first : error;
}
