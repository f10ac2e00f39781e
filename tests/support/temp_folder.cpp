#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "support/pictures.h"

namespace rrtest {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() /
                           ("rr-" + CurrentTestName() + "-" + std::to_string(getpid()) + "-XXXXXX"))
                              .string();
    if (mkdtemp(pattern.data())) {
        path_ = pattern;
    } else {
        ADD_FAILURE() << "cannot make a temporary folder " << pattern;
    }
}

TempFolder::~TempFolder() {
    std::error_code error;
    if (!previous_.empty()) std::filesystem::current_path(previous_, error);
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
}

std::string TempFolder::File(const std::string& name) const { return (path_ / name).string(); }

std::string TempFolder::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    return Write(name, std::string(bytes.begin(), bytes.end()));
}

std::string TempFolder::Write(const std::string& name, const std::string& text) const {
    std::filesystem::path file = path_ / name;
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    std::ofstream out(file, std::ios::binary);
    out << text;
    EXPECT_TRUE(out.good()) << "cannot write " << file;
    return file.string();
}

void TempFolder::Enter() {
    if (previous_.empty()) previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
}

}  // namespace rrtest
