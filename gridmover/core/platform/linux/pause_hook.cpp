#include "gridmover/core/pause_hook.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gridmover {

void PauseHook(const char* step) {
    // Looked up each time (a few per file, far cheaper than the file's conversion): a test's
    // forked child sets it after its parent may have passed here.
    const char* wanted = std::getenv("GRIDMOVER_PAUSE_AT");
    if (wanted != nullptr && std::strcmp(wanted, step) == 0) {
        // Said first, so that a test driving the program from outside knows when to end it.
        std::fprintf(stderr, "gridmover: paused at %s\n", step);
        std::raise(SIGSTOP);
    }
}

} // namespace gridmover
