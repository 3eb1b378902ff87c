// The adapters over real list box and combo box windows (a hidden form of the test's own), with
// Japanese printer names that travel through the controls in CP932.
#include "printctl/platform/win32/win32_list_controls.h"

#include "foundation/platform/win32/windows_include.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Form {
public:
    Form() {
        top_ = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                               nullptr, nullptr, nullptr);
    }
    ~Form() { DestroyWindow(top_); }
    HWND child(const wchar_t* cls, DWORD style) {
        return CreateWindowExW(0, cls, L"", WS_CHILD | style, 0, 0, 200, 100, top_, nullptr,
                               nullptr, nullptr);
    }
    HWND top() const { return top_; }

private:
    HWND top_;
};

const std::string kJapanese =
    "事務室のプリンタ\uFF5E\u2460"; // fullwidth tilde and circled one: CP932 forms

TEST(Win32ListControls, AListBoxTakesItemsInOrderAndChoosesOnlyAnExactName) {
    Form form;
    ASSERT_NE(form.top(), nullptr) << "no window (Wine needs its null display driver)";
    HWND window = form.child(L"LISTBOX", LBS_HASSTRINGS);
    ASSERT_NE(window, nullptr);
    printctl::Win32ListBox list(window);
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.Text(), "");
    for (const char* name : {"Office", kJapanese.c_str(), "office", "Office 2"})
        list.AddItem(name);
    ASSERT_EQ(list.ListCount(), 4);
    EXPECT_EQ(list.List(1), kJapanese);
    EXPECT_EQ(list.List(2), "office");
    EXPECT_EQ(list.List(4), "");
    EXPECT_EQ(list.List(-1), "");
    // The window holds the name in CP932, as a caller reading it with the A functions sees it.
    char ansi[64] = {};
    SendMessageA(window, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(ansi));
    EXPECT_STREQ(
        ansi, "\x8E\x96\x96\xB1\x8E\xBA\x82\xCC\x83\x76\x83\x8A\x83\x93\x83\x5E\x81\x60\x87\x40");

    list.Text("office"); // not "Office": letter case counts
    EXPECT_EQ(SendMessageA(window, LB_GETCURSEL, 0, 0), 2);
    list.Text("Office");
    EXPECT_EQ(list.Text(), "Office");
    list.Text("Offi"); // no prefix match, as LB_SELECTSTRING would make
    list.Text("Nowhere");
    EXPECT_EQ(list.Text(), "Office");
    list.Text(kJapanese);
    EXPECT_EQ(list.Text(), kJapanese);
}

TEST(Win32ListControls, ADropDownListKeepsItsChoiceAnEditableComboTakesTheText) {
    Form form;
    ASSERT_NE(form.top(), nullptr);
    printctl::Win32ComboBox dropDown(form.child(L"COMBOBOX", CBS_DROPDOWNLIST | CBS_HASSTRINGS));
    printctl::Win32ComboBox editable(form.child(L"COMBOBOX", CBS_DROPDOWN | CBS_HASSTRINGS));
    for (printctl::Win32ComboBox* box : {&dropDown, &editable}) {
        box->AddItem("Office");
        box->AddItem(kJapanese);
        EXPECT_EQ(box->ListCount(), 2);
        EXPECT_EQ(box->List(1), kJapanese);
        EXPECT_EQ(box->Text(), "");
        box->Text(kJapanese);
        EXPECT_EQ(box->Text(), kJapanese);
        box->Text("OFFICE");
    }
    EXPECT_EQ(dropDown.Text(), kJapanese);
    EXPECT_EQ(editable.Text(), "OFFICE");
}

TEST(Win32ListControls, AClosedWindowReadsAsAnEmptyList) {
    auto form = std::make_unique<Form>();
    ASSERT_NE(form->top(), nullptr);
    HWND box = form->child(L"LISTBOX", LBS_HASSTRINGS);
    HWND combo = form->child(L"COMBOBOX", CBS_DROPDOWN | CBS_HASSTRINGS);
    printctl::Win32ListBox list(box);
    printctl::Win32ComboBox comboList(combo);
    list.AddItem("Office");
    comboList.AddItem("Office");
    form.reset();
    for (printctl::ListControl* control : {static_cast<printctl::ListControl*>(&list),
                                           static_cast<printctl::ListControl*>(&comboList)}) {
        control->AddItem("Hall");
        control->Text("Office");
        EXPECT_EQ(control->ListCount(), 0);
        EXPECT_EQ(control->List(0), "");
        EXPECT_EQ(control->Text(), "");
    }
}

} // namespace
