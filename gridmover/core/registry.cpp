#include "gridmover/core/registry.h"

namespace gridmover {

bool RegKeyExists(const Registry& registry, std::string_view keyPath) {
    try {
        return registry.KeyExists(keyPath);
    } catch (...) {
        return false;
    }
}

} // namespace gridmover
