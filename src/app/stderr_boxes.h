// Message boxes as stderr lines, for runs that nobody watches (--screenshot
// under Xvfb): a box there would wait forever for a click.
#pragma once

// From now on every message box is one stderr line,
// "reflect-refract: CAPTION: TEXT", its code-page-949 text as UTF-8: the
// installed window backend is wrapped in one that writes its boxes there.
// Call once the backend is installed, before any window is made.
void SendMessageBoxesToStderr();
bool MessageBoxesGoToStderr();
