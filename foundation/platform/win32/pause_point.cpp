// Windows has no stop signal a parent could wait for; the kill tests that use pause points run on
// Linux. A process told to pause here waits for ever, so that it is still at the step when killed.
#include "foundation/pause_point.h"

#include "foundation/platform/win32/windows_include.h"

#include <cstdlib>
#include <cstring>

void pausePoint(const char* step) {
    static const char* const wanted = std::getenv("SUITE_TEST_PAUSE_AT");
    if (wanted && std::strcmp(wanted, step) == 0)
        Sleep(INFINITE);
}
