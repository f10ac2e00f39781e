#include "platform/window/sdl/program_folder.h"

#include <SDL.h>

std::string ProgramFolder() {
    char* base = SDL_GetBasePath();
    if (!base) return {};
    std::string folder(base);
    SDL_free(base);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}
