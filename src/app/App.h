#pragma once

namespace kx {

// Initialises the application, creates the six windows in order and runs the event loop.
int RunKvadrix(int argc, char** argv);

}  // namespace kx
