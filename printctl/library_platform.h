#pragma once
// The platform facts of the data-folder rule as libprintctl sees them: its "program folder" is the
// folder the library itself was loaded from, so that every program using the library finds the
// same data folder, wherever the program lies.
#include "foundation/platform.h"

#include <string>

namespace printctl {

const Platform& libraryPlatform();

// The folder of the library file that holds this code, found by an address in it (the
// platform's: platform/*/library_folder.cpp); the program's folder when the library is linked
// statically into a program.
std::string libraryFolder();

} // namespace printctl
