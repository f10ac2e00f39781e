#include "support/text_files.h"

#include <fstream>
#include <sstream>

namespace rrtest {

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string ReadSourceText(const std::string& relative) {
    return ReadText(std::string(RR_SOURCE_DIR) + "/" + relative);
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace rrtest
