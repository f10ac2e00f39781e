// The lines and first words of an SMD file, cut the way the loaders have
// always cut them: a line is what fgets reads into a 256-byte buffer (at
// most 255 characters; the rest of a longer line is skipped), its text ends
// at the first NUL byte, and its first word is what sscanf("%79s") reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace smd {

struct Line {
    const char* begin = nullptr;
    // End of the line's text: before its line end, at the 255-character cut
    // or at a NUL byte.
    const char* end = nullptr;
    // 1 for the first line of the file.
    int number = 0;
    // The line ran past 255 characters and its rest was skipped.
    bool cut = false;
};

struct LineReader {
    const char* data = nullptr;
    const char* limit = nullptr;
    const char* next = nullptr;
    int number = 0;
    // Whether the file holds a NUL byte at all; most do not, and then no
    // line needs to look for one.
    bool hasNul = false;

    explicit LineReader(std::span<const uint8_t> bytes);

    // The next line; false at the end of the file.
    bool Next(Line* line);
    // The next line that holds a word (blank lines are skipped, as inside a
    // section); its begin is moved to the first word.
    bool NextWithWord(Line* line);
    // Continues at a line start found earlier: offset from the file's start
    // and the number of the line before it.
    void Seek(size_t offset, int lineBefore);
    size_t Offset() const { return size_t(next - data); }
};

// The line's first word, at most 79 characters (longer words are cut).
std::string_view FirstWord(const Line& line);

// word equals keyword (lower case) without regard to case.
bool IsKeyword(std::string_view word, std::string_view keyword);

}  // namespace smd
