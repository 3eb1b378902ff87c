#pragma once
// The clock as an injected dependency, so that tests pin "today".

struct LocalDateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // The current local date and time.
    virtual LocalDateTime now() const = 0;
};

// The machine's clock in local time.
const Clock& systemClock();

// A clock that shows what it was last set to (tests, and the batch tool's reproducible runs).
class ManualClock : public Clock {
public:
    explicit ManualClock(LocalDateTime t = {}) : t_(t) {}
    LocalDateTime now() const override { return t_; }
    void set(LocalDateTime t) { t_ = t; }

private:
    LocalDateTime t_;
};
