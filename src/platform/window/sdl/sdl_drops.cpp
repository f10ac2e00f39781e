#include "platform/window/sdl/sdl_drops.h"

#include <utility>

bool SdlDropCollector::Take(const SDL_DropEvent& event, std::vector<std::string>* completed,
                            Uint32* completedWindowId) {
    if (event.type == SDL_DROPBEGIN || event.type == SDL_DROPFILE) {
        if (!open) {
            files.clear();
            windowId = event.windowID;
            open = true;
        }
        if (event.type == SDL_DROPFILE && event.file && event.file[0] &&
            files.size() < kMaxDroppedFiles)
            files.emplace_back(event.file);
        return false;
    }
    if (event.type != SDL_DROPCOMPLETE) return false;
    bool any = open && !files.empty();
    open = false;
    if (!any) return false;
    *completed = std::move(files);
    *completedWindowId = windowId;
    files.clear();
    return true;
}
