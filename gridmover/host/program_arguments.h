#pragma once
// The command line as UTF-8 texts, whatever the platform hands main(): on Linux the arguments as
// they are (file names are UTF-8 there); on Windows the wide command line, since main()'s narrow
// arguments are in the ANSI code page and lose every character it lacks. The platform code is
// in platform/<os>/program_arguments_<os>.cpp.
#include <string>
#include <vector>

namespace gridmover::host {

// argv[0] .. argv[argc - 1] as UTF-8. On Windows the terminal is also told to show UTF-8 output,
// which the program writes as it does on Linux.
std::vector<std::string> ProgramArguments(int argc, char** argv);

} // namespace gridmover::host
