#include "platform/window/sdl/sdl_drops.h"

#include <utility>

bool SdlDropCollector::Take(const SDL_DropEvent& event, std::vector<std::string>* completed,
                            Uint32* completedWindowId) {
    switch (event.type) {
    case SDL_DROPBEGIN:
        if (!open) {
            files.clear();
            windowId = event.windowID;
            open = true;
        }
        return false;
    case SDL_DROPFILE:
        if (!open) {
            files.clear();
            windowId = event.windowID;
            open = true;
        }
        if (event.file && event.file[0] && files.size() < kMaxDroppedFiles)
            files.emplace_back(event.file);
        return false;
    case SDL_DROPCOMPLETE: {
        bool any = open && !files.empty();
        open = false;
        if (!any) return false;
        *completed = std::move(files);
        *completedWindowId = windowId;
        files.clear();
        return true;
    }
    default: return false;
    }
}
