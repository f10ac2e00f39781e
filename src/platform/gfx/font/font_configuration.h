// fontconfig's configuration (its XML files and font caches), loaded on a
// thread of its own while the program does other start-up work: reading it
// takes 15 to 30 ms at every start, and the first font needs it.
#pragma once

namespace gfx::font {

// Starts loading the current configuration (FcInit) on a thread; once per
// process, later calls do nothing. Without a thread it loads when the first
// font needs it, as it would anyway.
void StartLoadingFontConfiguration();

// Waits until the loading StartLoadingFontConfiguration began is done
// (at once when it was not started). Fonts made with the current
// configuration call it first.
void WaitForFontConfiguration();

}  // namespace gfx::font
