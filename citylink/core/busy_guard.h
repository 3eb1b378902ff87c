#pragma once
// The busy state of a window during a long step: the window takes no input, the mouse pointer is
// the hourglass and a status label tells how far the step has come. All three must come back on
// every way out of the step, early returns and exceptions included, so they are restored by one
// guard object instead of by hand at each exit.
#include <string_view>

namespace citylink {

// What a window offers to be made busy. The main window implements it with Qt; the run and its
// tests only see this interface.
class BusyTarget {
public:
    virtual ~BusyTarget() = default;
    // true: the window takes no input and the pointer is the hourglass; false: both back to normal.
    // Calls nest: the window is normal again after as many false as true calls.
    virtual void setBusy(bool busy) = 0;
    // Shows the text in the status label and repaints it at once (a long step gives the event
    // loop no chance to do so); "" clears the label.
    virtual void setStatus(std::string_view text) = 0;
};

// Makes the target busy for its own lifetime. On leaving the scope (or at release()) it clears
// the status label and gives the window and the pointer back. A failure of the target while
// restoring is swallowed: the guard runs during exception unwinding and must not throw.
class BusyGuard {
public:
    explicit BusyGuard(BusyTarget& target) : target_(&target) { target_->setBusy(true); }
    ~BusyGuard() { release(); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    // Progress text for the status label, shown at once.
    void status(std::string_view text) {
        if (target_)
            target_->setStatus(text);
    }

    // Restores the window now, for a step that must give the window back before it ends (for
    // example before a final question). Later calls, and the destructor, do nothing.
    void release() noexcept {
        BusyTarget* target = target_;
        target_ = nullptr;
        if (!target)
            return;
        try {
            target->setStatus("");
        } catch (...) {
        }
        try {
            target->setBusy(false);
        } catch (...) {
        }
    }

private:
    BusyTarget* target_;
};

} // namespace citylink
