#pragma once
// A point where a run can be made to stop, for tests that kill the program at a chosen step
// (what is left behind after a kill must not depend on timing). With GRIDMOVER_PAUSE_AT set to a
// step's name, the process stops itself (as by SIGSTOP) each time it reaches that step; the test
// sees the stop through its wait and then kills or continues the process. Without the variable
// the hook does nothing.
//
// Steps: "converted" (a file of the project has been converted into its temporary copy).
namespace gridmover {

void PauseHook(const char* step);

} // namespace gridmover
