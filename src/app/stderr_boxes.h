// Message boxes as stderr lines, for runs that nobody watches (--screenshot
// under Xvfb): a box there would wait forever for a click.
#pragma once

// From now on every message box is one stderr line,
// "reflect-refract: CAPTION: TEXT", its code-page-949 text as UTF-8.
void SendMessageBoxesToStderr();
bool MessageBoxesGoToStderr();
