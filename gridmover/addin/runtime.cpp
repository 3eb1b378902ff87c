#include "gridmover/addin/environment.h"

#include <stdexcept>

namespace gridmover::addin {

namespace {
Runtime* gRuntime = nullptr;
}

void SetRuntime(Runtime* runtime) {
    gRuntime = runtime;
}

Runtime& CurrentRuntime() {
    if (gRuntime == nullptr) {
        throw std::logic_error("the add-in's runtime is not set");
    }
    return *gRuntime;
}

} // namespace gridmover::addin
