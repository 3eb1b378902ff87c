#pragma once
// ListControl over the caller's own list box or combo box, given by its window handle.
//
// A Windows caller of the DLL is not a Qt program: its printer list is a native LISTBOX or
// COMBOBOX window (a VB form's ListBox or ComboBox), so these adapters talk to the window with the
// control's own messages (LB_*, CB_*) instead of the Qt adapters the Linux library offers. The
// list's texts travel in the system's ANSI code page (CP932 on the Japanese Windows the callers
// run on), as the printer names of the A functions do; the class sees UTF-8.
//
// A handle that is no window (any more) reads as an empty list and ignores writes.
#include "printctl/list_control.h"

struct HWND__;

namespace printctl {

// What list boxes and combo boxes share: their entries, added and read with the control's own
// messages (LB_* or CB_*, the same calls under other names). AddItem appends with LB_ADDSTRING or
// CB_ADDSTRING (in order, or sorted when the control sorts, as the caller's own AddItem does).
class PRINTCTL_EXPORT Win32ListWindow : public ListControl {
public:
    enum class Kind { ListBox, ComboBox };

    void AddItem(const std::string& item) override;
    int ListCount() const override;
    std::string List(int index) const override;

protected:
    Win32ListWindow(HWND__* window, Kind kind) : window_(window), kind_(kind) {}
    // The index of the entry with exactly this text, letter case included; -1 when none has it.
    int find(const std::string& text) const;

    HWND__* window_;
    Kind kind_;
};

// A list box: Text is the selected entry.
class PRINTCTL_EXPORT Win32ListBox final : public Win32ListWindow {
public:
    explicit Win32ListBox(HWND__* listBox);
    std::string Text() const override;
    void Text(const std::string& text) override;
};

// A combo box: Text is the text it shows (what the user typed, in an editable one).
class PRINTCTL_EXPORT Win32ComboBox final : public Win32ListWindow {
public:
    explicit Win32ComboBox(HWND__* comboBox);
    std::string Text() const override;
    void Text(const std::string& text) override;
};

} // namespace printctl
