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

// A list box: AddItem appends with LB_ADDSTRING (in order, or sorted when the box sorts, as the
// caller's own AddItem does); Text is the selected entry.
class PRINTCTL_EXPORT Win32ListBox final : public ListControl {
public:
    explicit Win32ListBox(HWND__* listBox);
    void AddItem(const std::string& item) override;
    int ListCount() const override;
    std::string List(int index) const override;
    std::string Text() const override;
    void Text(const std::string& text) override;

private:
    HWND__* window_;
};

// A combo box: Text is the text it shows (what the user typed, in an editable one).
class PRINTCTL_EXPORT Win32ComboBox final : public ListControl {
public:
    explicit Win32ComboBox(HWND__* comboBox);
    void AddItem(const std::string& item) override;
    int ListCount() const override;
    std::string List(int index) const override;
    std::string Text() const override;
    void Text(const std::string& text) override;

private:
    HWND__* window_;
};

} // namespace printctl
