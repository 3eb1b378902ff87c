// Linux: the Calc module is a shared object opened with dlopen. RTLD_LOCAL keeps its symbols (and
// those of the office's libraries it brings) out of the program's global scope; RTLD_NOW reports
// a missing office library here, at load, rather than at the first call.
#include "citylink/sheets/calc/calc_loader.h"

#include <dlfcn.h>

namespace sheets::calc {

const CalcModule* OpenCalcModule(const std::filesystem::path& file, std::string& error) {
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* message = dlerror();
        error = message ? message : "cannot load " + file.string();
        return nullptr;
    }
    void* entry = dlsym(handle, kCalcModuleEntry);
    if (!entry) {
        const char* message = dlerror();
        error = message ? message : file.string() + ": no " + kCalcModuleEntry;
        dlclose(handle);
        return nullptr;
    }
    using Entry = const CalcModule* (*)();
    return reinterpret_cast<Entry>(entry)();
}

} // namespace sheets::calc
