#pragma once
// A test hook for kill tests. A process started with SUITE_TEST_PAUSE_AT=<step> stops itself
// (SIGSTOP) when it reaches the step of that name; the test sees it stop (waitpid with WUNTRACED)
// and kills it exactly there, instead of guessing the moment with sleeps. Without the variable a
// pause point costs one look at the environment, taken once per process.
//
// Steps are named "<what>-<moment>", e.g. "ini-written": the new settings file is complete but
// not yet in place.
void pausePoint(const char* step);
