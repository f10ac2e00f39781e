// SDL tells one drop onto a window as several events: SDL_DROPBEGIN, one
// SDL_DROPFILE per file, SDL_DROPCOMPLETE. The collector gathers each drop's
// files into one group, so that the window gets one WM_DROPFILES for it.
// Pure: tested without a display.
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

    // Takes one drop event (its file text stays the caller's to free). True
    // when a drop has completed with files: they are moved to *completed and
    // its window to *completedWindowId. A file without a begin starts a drop;
    // a begin while one is open completes nothing (SDL never sends that); text
    // drops are not files and are passed over.
    bool Take(const SDL_DropEvent& event, std::vector<std::string>* completed,
              Uint32* completedWindowId);
};
