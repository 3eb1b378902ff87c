#include "gridmover/core/pause_hook.h"

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace gridmover {

void PauseHook(const char* step) {
    // Looked up each time (a few per file, far cheaper than the file's conversion): a test's
    // forked child sets it after its parent may have passed here.
    const char* wanted = std::getenv("GRIDMOVER_PAUSE_AT");
    if (wanted != nullptr && std::strcmp(wanted, step) == 0) {
        std::raise(SIGSTOP);
    }
}

} // namespace gridmover
