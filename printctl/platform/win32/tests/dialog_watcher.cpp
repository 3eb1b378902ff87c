#include "printctl/platform/win32/tests/dialog_watcher.h"

#include "foundation/platform/win32/ansi_text.h"

#include <chrono>

namespace printctl::testing {

namespace {

constexpr int kMessageBoxText = 0xFFFF; // the static control of a message box's text

// The icon of a box: its static control of the icon style (Windows and Wine give it different
// control ids).
BOOL CALLBACK findIcon(HWND child, LPARAM data) {
    if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        return TRUE;
    *reinterpret_cast<HICON*>(data) =
        reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    return FALSE;
}

std::string windowText(HWND window) {
    wchar_t buffer[4096];
    int n = GetWindowTextW(window, buffer, 4096);
    return win32::utf8FromWide(std::wstring_view(buffer, n > 0 ? n : 0));
}

struct Search {
    DWORD process;
    std::vector<HWND>* handled;
    HWND found = nullptr;
};

BOOL CALLBACK findDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t cls[64];
    if (process != search->process || !GetClassNameW(window, cls, 64) ||
        std::wstring_view(cls) != L"#32770")
        return TRUE;
    for (HWND done : *search->handled) {
        if (done == window)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

} // namespace

HICON systemIcon(LPCSTR id) {
    return LoadIconA(nullptr, id);
}

DialogWatcher::DialogWatcher(std::vector<int> answers)
    : answers_(std::move(answers)), thread_([this] { run(); }) {}

DialogWatcher::~DialogWatcher() {
    finish();
}

std::vector<SeenDialog> DialogWatcher::finish() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    return seen_;
}

bool DialogWatcher::answerOne() {
    Search search{GetCurrentProcessId(), &handled_};
    EnumWindows(findDialog, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return false;
    HWND box = search.found;
    SeenDialog seen;
    seen.title = windowText(box);
    if (HWND text = GetDlgItem(box, kMessageBoxText))
        seen.text = windowText(text);
    seen.owner = GetWindow(box, GW_OWNER);
    EnumChildWindows(box, findIcon, reinterpret_cast<LPARAM>(&seen.icon));
    int answer = IDCANCEL;
    {
        std::lock_guard lock(mutex_);
        if (seen_.size() < answers_.size())
            answer = answers_[seen_.size()];
        seen_.push_back(std::move(seen));
    }
    handled_.push_back(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    return true;
}

void DialogWatcher::run() {
    using namespace std::chrono;
    // Keeps watching a little after finish() so that a box that opens late is still answered.
    auto stopAt = steady_clock::time_point::max();
    while (steady_clock::now() < stopAt) {
        if (stop_ && stopAt == steady_clock::time_point::max())
            stopAt = steady_clock::now() + milliseconds(200);
        answerOne();
        std::this_thread::sleep_for(milliseconds(20));
        // Windows closed since are forgotten: their handles may be given to new windows.
        std::erase_if(handled_, [](HWND w) { return !IsWindow(w); });
    }
}

} // namespace printctl::testing
