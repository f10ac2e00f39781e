// Where the loaders and the scene's set-up send what a person should read:
// notes (one text each, for a log line) and message boxes (a caption and a
// text). The sink is handed in by whoever starts the loading, which decides
// where each goes: stderr, a box on screen, a line on the HUD, a list.
//
// Texts carry no program-name prefix and no final newline (a note may hold
// several lines, such as a compiler's output). Box texts are code page 949
// bytes, as MessageBoxA takes them. A sink without a function drops that
// kind of message.
#pragma once

struct ReportSink {
    void* context = nullptr;
    void (*note)(void* context, const char* text) = nullptr;
    void (*box)(void* context, const char* caption, const char* text) = nullptr;

    void Note(const char* text) const {
        if (note) note(context, text);
    }
    // Note with printf formatting; a text longer than 1023 bytes is cut there.
    void NoteFormat(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void Box(const char* caption, const char* text) const {
        if (box) box(context, caption, text);
    }
};
