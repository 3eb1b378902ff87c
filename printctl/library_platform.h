#pragma once
// The platform facts of the data-folder rule as libprintctl sees them: its "program folder" is the
// folder the library itself was loaded from, so that every program using the library finds the
// same data folder, wherever the program lies.
#include "foundation/platform.h"

namespace printctl {

const Platform& libraryPlatform();

} // namespace printctl
