// A fresh temporary folder for the files a test writes: made when the test
// starts (unique per process and test, so parallel and repeated runs never
// share one), removed with everything in it at the end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace rrtest {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of name (which may hold subfolders) inside the folder.
    std::string File(const std::string& name) const;
    // Writes the bytes or text to name, making its subfolders; returns its path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string Write(const std::string& name, const std::string& text) const;
    // Makes the folder the working folder until the TempFolder goes.
    void Enter();

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;  // the working folder before Enter
};

}  // namespace rrtest
