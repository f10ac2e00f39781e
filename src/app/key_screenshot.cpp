#include "app/key_screenshot.h"

#include <cstdio>

#include "app/screenshot.h"
#include "platform/report/program_name.h"

std::string KeyScreenshotName(const std::tm& local, int attempt) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d-%02d-%02d-%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::string name = std::string(kProgramName) + "-" + stamp;
    if (attempt > 1) name += "-" + std::to_string(attempt);
    return name + ".png";
}

std::string KeyScreenshotFolder(const char* picturesDir, const std::string& workingFolder) {
    std::string folder = picturesDir && *picturesDir ? picturesDir : workingFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

bool SaveKeyScreenshot(const FrameCapture& capture, const std::string& folder, const std::tm& local,
                       std::string* path, std::string* error) {
    if (!capture.taken) {
        *error = "the picture could not be read back";
        return false;
    }
    for (int attempt = 1; attempt <= kMaxKeyScreenshotsPerSecond; ++attempt) {
        *path = folder + KeyScreenshotName(local, attempt);
        bool existed = false;
        if (SavePng(*path, capture.width, capture.height, capture.rgba, error, &existed))
            return true;
        if (!existed) return false;
    }
    *error = folder + KeyScreenshotName(local, 1) + ": " +
             std::to_string(kMaxKeyScreenshotsPerSecond) + " pictures of that second are there";
    return false;
}
