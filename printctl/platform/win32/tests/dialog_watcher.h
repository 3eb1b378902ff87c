#pragma once
// Answers the dialogs this process shows, from a thread of its own, and records what they said:
// a test calls code that shows a modal message box (which returns only when a button is pressed)
// and then checks what the user would have seen. No box stays open: a dialog beyond the scripted
// answers is cancelled.
#include "foundation/platform/win32/windows_include.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace printctl::testing {

struct SeenDialog {
    std::string title; // UTF-8
    std::string text;  // the message box's text, UTF-8
    HWND owner = nullptr;
    HICON icon = nullptr;
};

class DialogWatcher {
public:
    // answers: the button of each dialog in turn (IDOK, IDYES, IDNO, ...).
    explicit DialogWatcher(std::vector<int> answers = {});
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    // Stops watching and returns every dialog seen, in order.
    std::vector<SeenDialog> finish();

private:
    void run();
    bool answerOne();

    std::vector<int> answers_;
    std::vector<SeenDialog> seen_;
    std::vector<HWND> handled_;
    std::mutex mutex_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The icon a message box of this kind shows (MB_ICONERROR: IDI_HAND, ...).
HICON systemIcon(LPCSTR id);

} // namespace printctl::testing
