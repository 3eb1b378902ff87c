#include "printctl/platform/win32/win32_list_controls.h"

#include "foundation/platform/win32/ansi_text.h"
#include "foundation/platform/win32/windows_include.h"

namespace printctl {

namespace {

// The messages of one control kind; list boxes and combo boxes differ only in their names.
struct Messages {
    UINT addString, getCount, getTextLen, getText, getCurSel, setCurSel;
};
constexpr Messages kListBox{LB_ADDSTRING, LB_GETCOUNT,  LB_GETTEXTLEN,
                            LB_GETTEXT,   LB_GETCURSEL, LB_SETCURSEL};
constexpr Messages kComboBox{CB_ADDSTRING, CB_GETCOUNT,  CB_GETLBTEXTLEN,
                             CB_GETLBTEXT, CB_GETCURSEL, CB_SETCURSEL};

int count(HWND window, const Messages& m) {
    if (!IsWindow(window))
        return 0;
    LRESULT n = SendMessageA(window, m.getCount, 0, 0);
    return n > 0 ? static_cast<int>(n) : 0;
}

std::string entry(HWND window, const Messages& m, int index) {
    if (!IsWindow(window) || index < 0)
        return {};
    LRESULT length = SendMessageA(window, m.getTextLen, static_cast<WPARAM>(index), 0);
    if (length <= 0) // LB_ERR / CB_ERR outside the list, 0 for an empty entry
        return {};
    std::string ansi(static_cast<std::size_t>(length) + 1, '\0');
    LRESULT copied = SendMessageA(window, m.getText, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(ansi.data()));
    if (copied <= 0)
        return {};
    ansi.resize(static_cast<std::size_t>(copied));
    return win32::utf8FromAnsi(ansi);
}

const Messages& messagesOf(Win32ListWindow::Kind kind) {
    return kind == Win32ListWindow::Kind::ListBox ? kListBox : kComboBox;
}

} // namespace

void Win32ListWindow::AddItem(const std::string& item) {
    if (!IsWindow(window_))
        return;
    std::string ansi = win32::ansiFromUtf8(item);
    SendMessageA(window_, messagesOf(kind_).addString, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
}

int Win32ListWindow::ListCount() const {
    return count(window_, messagesOf(kind_));
}

std::string Win32ListWindow::List(int index) const {
    return entry(window_, messagesOf(kind_), index);
}

// Exact and case-sensitive, as printer names are: LB_SELECTSTRING and LB_FINDSTRINGEXACT both
// ignore letter case, and LB_SELECTSTRING matches a prefix.
int Win32ListWindow::find(const std::string& text) const {
    const int n = ListCount();
    for (int i = 0; i < n; ++i) {
        if (List(i) == text)
            return i;
    }
    return -1;
}

Win32ListBox::Win32ListBox(HWND__* listBox) : Win32ListWindow(listBox, Kind::ListBox) {}

std::string Win32ListBox::Text() const {
    if (!IsWindow(window_))
        return {};
    LRESULT selected = SendMessageA(window_, kListBox.getCurSel, 0, 0);
    return selected < 0 ? std::string() : entry(window_, kListBox, static_cast<int>(selected));
}

void Win32ListBox::Text(const std::string& text) {
    int index = find(text);
    if (index >= 0)
        SendMessageA(window_, kListBox.setCurSel, static_cast<WPARAM>(index), 0);
}

Win32ComboBox::Win32ComboBox(HWND__* comboBox) : Win32ListWindow(comboBox, Kind::ComboBox) {}

std::string Win32ComboBox::Text() const {
    if (!IsWindow(window_))
        return {};
    // The window text is the edit field's in an editable combo box and the chosen entry's in a
    // drop-down list.
    int length = GetWindowTextLengthA(window_);
    if (length <= 0)
        return {};
    std::string ansi(static_cast<std::size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(window_, ansi.data(), length + 1);
    ansi.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return win32::utf8FromAnsi(ansi);
}

void Win32ComboBox::Text(const std::string& text) {
    if (!IsWindow(window_))
        return;
    int index = find(text);
    if (index >= 0) {
        SendMessageA(window_, kComboBox.setCurSel, static_cast<WPARAM>(index), 0);
        return;
    }
    // Only an editable combo box takes a text none of its entries has, as typed.
    const LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
    if ((style & 0x3) != CBS_DROPDOWNLIST) {
        std::string ansi = win32::ansiFromUtf8(text);
        SetWindowTextA(window_, ansi.c_str());
    }
}

} // namespace printctl
