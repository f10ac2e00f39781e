// Text taken from a model file, made safe to print on a terminal: a file
// name or bone name holding escape sequences must not move the cursor or
// clear the screen of whoever reads the program's notes.
#pragma once

#include <string>
#include <string_view>

// UTF-8 text stays as it is; any other text is read as code page 949 (the
// encoding of the program's own Korean texts) and converted. Control
// characters (U+0000 to U+001F, U+007F to U+009F) are written as \xNN.
std::string PrintableText(std::string_view text);
