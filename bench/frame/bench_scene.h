// What the frame benchmarks share: the program's own start-up (window,
// device, then the scene: environment, effect, the character and its three
// clips, read from the build's run folder) and the median of a series of
// timings.
#pragma once

#include <vector>

struct Application;

// Starts the program's scene as the program does, showing the window when
// show is true. False, with a line on stderr that names the benchmark, when
// anything is missing.
bool StartBenchScene(Application& app, const char* benchName, bool show);

double Median(std::vector<double> values);
