// SDL tells one drop as SDL_DROPBEGIN, one SDL_DROPFILE per file and
// SDL_DROPCOMPLETE; the collector groups them for one WM_DROPFILES.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

// A drop holds at most this many files; the rest of a larger one are left out.
inline constexpr size_t kMaxDroppedFiles = 256;

struct SdlDropCollector {
    std::vector<std::string> files;  // the drop under way
    Uint32 windowId = 0;             // its window
    bool open = false;               // a drop has begun and not completed

    // Takes one drop event (its text stays the caller's to free). True when a
    // drop completed with files: they go to *completed, its window to
    // *completedWindowId. A file without a begin starts a drop; a begin while
    // one is open changes nothing; text drops are passed over.
    bool Take(const SDL_DropEvent& event, std::vector<std::string>* completed,
              Uint32* completedWindowId);
};
