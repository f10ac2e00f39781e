// Xlib's input method, which SDL's X11 driver opens at start, reads the
// locale's Compose table (some 6,000 lines for UTF-8 locales) every time:
// 9 to 14 ms of each start here. Xlib can keep the parsed table in a folder
// of the user's and map it on later starts (0.2 ms; it parses again once the
// file is a day old), but it does so only when XCOMPOSECACHE names a folder
// or ~/.compose-cache exists, and neither is there by default.
#pragma once

// Names a folder of the program's start-up cache as XCOMPOSECACHE, made with
// mode 0700 (Xlib refuses one that others may write), when SDL will start on
// X11 and Xlib would use it: not when the user set XCOMPOSECACHE or has a
// ~/.compose-cache Xlib can use, not for root or a set-user/group-id process (Xlib keeps
// no cache for them), not with RR_NO_CACHE=1. A folder that cannot be made
// is left out quietly: the table is then parsed as before. Call in main
// before any thread starts (setenv is not thread-safe).
void UseComposeCache();

// True when Xlib will map the Compose table of this process from its cache:
// the folder it uses (XCOMPOSECACHE, whoever set it, or ~/.compose-cache;
// the user's, and no one else may write it) holds a file of the last day.
// False on the first start, when Xlib parses the table and writes the file.
bool ComposeTableCached();
