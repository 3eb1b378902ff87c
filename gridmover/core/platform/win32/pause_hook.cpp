// Windows has no stop signal a parent could wait for; the kill tests that use the hook run on
// Linux. A process told to pause here waits for ever, so that it is still at the step when it is
// ended.
#include "gridmover/core/pause_hook.h"

#include "foundation/platform/win32/windows_include.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gridmover {

void PauseHook(const char* step) {
    const char* wanted = std::getenv("GRIDMOVER_PAUSE_AT");
    if (wanted != nullptr && std::strcmp(wanted, step) == 0) {
        // Said first, so that a test driving the program from outside knows when to end it.
        std::fprintf(stderr, "gridmover: paused at %s\n", step);
        Sleep(INFINITE);
    }
}

} // namespace gridmover
