#include "gridmover/core/registry.h"

#include <mutex>

namespace gridmover {

namespace {

std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}

std::shared_ptr<const Registry>& registrySlot() {
    static std::shared_ptr<const Registry> slot;
    return slot;
}

} // namespace

void SetRegistry(std::shared_ptr<const Registry> registry) {
    std::lock_guard lock(registryMutex());
    registrySlot() = std::move(registry);
}

const Registry& CurrentRegistry() {
    std::lock_guard lock(registryMutex());
    auto& slot = registrySlot();
    if (!slot) {
        slot = DefaultRegistry();
    }
    return *slot;
}

bool RegKeyExists(std::string_view keyPath) {
    try {
        return CurrentRegistry().KeyExists(keyPath);
    } catch (...) {
        return false;
    }
}

} // namespace gridmover
