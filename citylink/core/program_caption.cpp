#include "citylink/core/program_caption.h"

#ifndef CITYLINK_VERSION
#error "CITYLINK_VERSION comes from the project's version in CMake"
#endif

namespace citylink {

const std::string& programCaption() {
    static const std::string caption = std::string(kProgramTitle) + " Ver" CITYLINK_VERSION;
    return caption;
}

} // namespace citylink
