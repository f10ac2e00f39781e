// The files of a drop: kept by the window system from the poll that brought
// them until the window procedure finishes the drop.
#include <algorithm>
#include <cstring>

#include "platform/window/core/window_system.h"

namespace {

// The live record behind a handle; null for anything else.
DropRecord* FindDrop(HDROP drop) {
    for (const auto& record : window_system::System().drops)
        if (drop && record.get() == drop) return record.get();
    return nullptr;
}

}  // namespace

void window_system::ForgetDropOf(const MSG& message) {
    if (message.message == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(message.wParam));
}

UINT DragQueryFileA(HDROP drop, UINT index, char* file, UINT size) {
    const DropRecord* record = FindDrop(drop);
    if (!record) return 0;
    if (index == 0xFFFFFFFFu) return static_cast<UINT>(record->paths.size());
    if (index >= record->paths.size()) return 0;
    const std::string& path = record->paths[index];
    if (!file) return static_cast<UINT>(path.size());
    if (size == 0) return 0;
    size_t copied = std::min(path.size(), size_t(size) - 1);
    std::memcpy(file, path.data(), copied);
    file[copied] = '\0';
    return static_cast<UINT>(copied);
}

void DragFinish(HDROP drop) {
    auto& drops = window_system::System().drops;
    drops.erase(std::remove_if(drops.begin(), drops.end(),
                               [drop](const auto& record) { return drop && record.get() == drop; }),
                drops.end());
}
