#include "app/hud_alerts.h"

#include <algorithm>

void HudAlerts::Set(const std::string& path, const std::string& text) {
    for (Entry& entry : entries) {
        if (entry.path == path) {
            entry.text = text;
            Join();
            return;
        }
    }
    entries.push_back(Entry{path, text});
    Join();
}

void HudAlerts::Clear(const std::string& path) {
    KeepOnlyIf([&](const Entry& entry) { return entry.path != path; });
}

void HudAlerts::KeepOnly(const std::vector<std::string>& paths) {
    KeepOnlyIf([&](const Entry& entry) {
        return std::find(paths.begin(), paths.end(), entry.path) != paths.end();
    });
}

void HudAlerts::ClearAll() {
    entries.clear();
    Join();
}

void HudAlerts::Join() {
    lines.clear();
    for (const Entry& entry : entries) lines += (lines.empty() ? "" : "\n") + entry.text;
}

std::string AlertText(const std::string& path, const std::string& reason) {
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string text = name + ": " + reason;
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return text;
}
