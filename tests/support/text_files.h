// Whole files as bytes in a std::string, for tests that damage what the
// program wrote.
#pragma once

#include <string>

namespace rrtest {

// The file's bytes; empty when it cannot be read.
std::string ReadText(const std::string& path);
// Replaces the file's bytes with text.
void WriteText(const std::string& path, const std::string& text);

}  // namespace rrtest
