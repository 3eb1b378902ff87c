#include "gridmover/host/program_arguments.h"

namespace gridmover::host {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

} // namespace gridmover::host
