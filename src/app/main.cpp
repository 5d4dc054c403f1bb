// Kvadrix: the program entry. Creates the six windows and runs the event loop.
#include "app/App.h"

int main(int argc, char** argv) {
    return kx::RunKvadrix(argc, argv);
}
