#include "foundation/clock.h"

#include "foundation/platform/win32/windows_include.h"

namespace {

class SystemClock final : public Clock {
public:
    LocalDateTime now() const override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    }
};

} // namespace

const Clock& systemClock() {
    static const SystemClock clock;
    return clock;
}
