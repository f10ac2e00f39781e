// Text taken from a model file, made safe to print on a terminal: a file
// name or bone name holding escape sequences must not move the cursor or
// clear the screen of whoever reads the program's notes.
#pragma once

#include <string>
#include <string_view>

// Text from a file as UTF-8: UTF-8 text stays as it is (what exporters
// write today); any other text is read as code page 949 (the encoding of
// the program's own Korean texts) and converted.
std::string FileTextAsUtf8(std::string_view text);

// FileTextAsUtf8 with control characters (U+0000 to U+001F, U+007F to
// U+009F) written as \xNN.
std::string PrintableText(std::string_view text);
