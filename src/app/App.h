#pragma once

namespace kx {

// Decides where the files live from the executable's folder, unless that is decided
// already, and makes the user's folders of an installed layout (a folder that cannot be
// made shows up later as a failed write).
void DecidePaths();

// Answers --help and --version on standard output; the window program otherwise.
// Initialises the application, creates the six windows in order and runs the event loop.
int RunKvadrix(int argc, char** argv);

}  // namespace kx
