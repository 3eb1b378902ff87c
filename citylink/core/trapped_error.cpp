#include "citylink/core/trapped_error.h"

#include <exception>
#include <filesystem>
#include <new>

namespace citylink {

TrappedError TrappedError::current(long fallbackNumber) {
    try {
        throw;
    } catch (const NumberedError& e) {
        return {e.description(), e.number()};
    } catch (const std::bad_alloc&) {
        return {errnum::describe(errnum::OutOfMemory), errnum::OutOfMemory};
    } catch (const std::filesystem::filesystem_error& e) {
        return {e.what(), errnum::PathAccess};
    } catch (const std::exception& e) {
        return {e.what(), fallbackNumber};
    } catch (...) {
        return {"予期しないエラー", fallbackNumber};
    }
}

} // namespace citylink
