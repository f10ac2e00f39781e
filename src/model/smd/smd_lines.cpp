#include "model/smd/smd_lines.h"

#include <cstring>

#include "model/smd/number_scan.h"
#include "model/smd/smd_limits.h"

namespace smd {

LineReader::LineReader(std::span<const uint8_t> bytes)
    : data(reinterpret_cast<const char*>(bytes.data())),
      limit(data + bytes.size()),
      next(data),
      hasNul(!bytes.empty() && std::memchr(data, 0, bytes.size()) != nullptr) {}

bool LineReader::Next(Line* line) {
    if (next >= limit) return false;
    const char* start = next;
    size_t window = size_t(limit - start);
    if (window > size_t(kLineCut)) window = kLineCut;
    const char* textEnd;
    line->cut = false;
    if (const void* newline = std::memchr(start, '\n', window)) {
        textEnd = static_cast<const char*>(newline);
        next = textEnd + 1;
    } else if (window < size_t(kLineCut)) {
        // The last line, without a line end.
        textEnd = limit;
        next = limit;
    } else {
        // 255 characters without a line end: the rest of the line is
        // skipped. (A NUL among them made the buffer look short, so nothing
        // was skipped and the next read began right after the cut.)
        textEnd = start + kLineCut;
        line->cut = true;
        if (hasNul && std::memchr(start, 0, size_t(kLineCut))) {
            next = textEnd;
        } else {
            const void* newline = std::memchr(textEnd, '\n', size_t(limit - textEnd));
            next = newline ? static_cast<const char*>(newline) + 1 : limit;
        }
    }
    if (hasNul) {
        if (const void* nul = std::memchr(start, 0, size_t(textEnd - start)))
            textEnd = static_cast<const char*>(nul);
    }
    line->begin = start;
    line->end = textEnd;
    line->number = ++number;
    return true;
}

bool LineReader::NextWithWord(Line* line) {
    while (Next(line)) {
        line->begin = SkipSpace(line->begin, line->end);
        if (line->begin < line->end) return true;
    }
    return false;
}

void LineReader::Seek(size_t offset, int lineBefore) {
    next = data + offset;
    number = lineBefore;
}

std::string_view FirstWord(const Line& line) {
    const char* start = SkipSpace(line.begin, line.end);
    const char* stop = start;
    while (stop < line.end && !IsSpace(*stop) && stop - start < kWordCut) ++stop;
    return {start, size_t(stop - start)};
}

bool IsKeyword(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != keyword[i]) return false;
    }
    return true;
}

}  // namespace smd
