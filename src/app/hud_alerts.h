// The red lines under the HUD: one per file that did not load (or was
// refused), kept until that file loads, or leaves the scene, or (for the
// files of a drop that changed nothing) until the next drop.
#pragma once

#include <string>
#include <vector>

struct HudAlerts {
    struct Entry {
        std::string path;  // the file the line is about
        std::string text;  // "NAME: reason", one line
    };
    std::vector<Entry> entries;
    // Every text, oldest first, '\n' between: what the frame draws. Rebuilt
    // on each change, so that drawing allocates nothing.
    std::string lines;

    // The line for path: replaced when there is one, else added last.
    void Set(const std::string& path, const std::string& text);
    void Clear(const std::string& path);
    // Keeps the lines of these paths only.
    void KeepOnly(const std::vector<std::string>& paths);
    void ClearAll();

private:
    template <typename Keep>
    void KeepOnlyIf(Keep keep) {
        std::vector<Entry> kept;
        for (Entry& entry : entries)
            if (keep(entry)) kept.push_back(std::move(entry));
        entries = std::move(kept);
        Join();
    }
    void Join();
};

// "NAME: reason" with the file's name only (the HUD line is short).
std::string AlertText(const std::string& path, const std::string& reason);
