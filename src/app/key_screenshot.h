// The screenshot key (F12): the window's picture saved as a PNG named with
// the date and time, in the working folder or $XDG_PICTURES_DIR.
#pragma once

#include <ctime>
#include <string>

#include "scene/frame_capture.h"

// How many pictures one second may name (-2 .. -99 after the first).
inline constexpr int kMaxKeyScreenshotsPerSecond = 99;

// "reflect-refract-2026-12-08-09-41-07.png" for the first picture of that
// second (attempt 1), "...-07-2.png" for the second, and so on.
std::string KeyScreenshotName(const std::tm& local, int attempt);

// Where the pictures go: the folder picturesDir names (the value of
// $XDG_PICTURES_DIR, null when unset), else the working folder; with a
// trailing '/', and absolute when workingFolder is.
std::string KeyScreenshotFolder(const char* picturesDir, const std::string& workingFolder);

// Saves the captured picture in folder under the first name of local's
// second that no file has yet. True with *path the file written; false
// with *error one line (nothing captured, the folder missing, every name of
// that second taken, the write failed).
bool SaveKeyScreenshot(const FrameCapture& capture, const std::string& folder, const std::tm& local,
                       std::string* path, std::string* error);
