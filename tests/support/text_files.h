// Whole files as bytes in a std::string: for tests that damage what the
// program wrote, and for those that read the project's own files.
#pragma once

#include <string>

namespace rrtest {

// The file's bytes; empty when it cannot be read.
std::string ReadText(const std::string& path);
// A file of the project's source tree by its path from the top, as ReadText.
std::string ReadSourceText(const std::string& relative);
// Replaces the file's bytes with text.
void WriteText(const std::string& path, const std::string& text);

}  // namespace rrtest
