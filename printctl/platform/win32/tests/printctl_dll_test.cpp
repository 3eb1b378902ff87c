// printctl.dll as a Windows caller uses it: created by its identifier, filling a real list box or
// combo box of a hidden form with the system's printers, keeping the choice and the margins in the
// settings file beside the DLL's folder, and telling the user through real message boxes, which a
// watcher answers. Run by with-private-cups under Wine, once with no printer at all and once with
// the printers of a CUPS scheduler of its own (PRINTCTL_TEST_PRINTERS: how many there must be).
#include "printctl/platform/win32/tests/dialog_watcher.h"
#include "printctl/platform/win32/win32_list_controls.h"
#include "printctl/printctl.h"

#include "foundation/cp932.h"
#include "foundation/platform/win32/ansi_text.h"
#include "foundation/platform/win32/windows_include.h"

#include <gtest/gtest.h>
#include <winspool.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

namespace fs = std::filesystem;
using printctl::testing::DialogWatcher;
using printctl::testing::systemIcon;

namespace {

// How many printers the run must see; nullopt when the test is run without the wrapper.
std::optional<int> expectedPrinters() {
    const char* value = std::getenv("PRINTCTL_TEST_PRINTERS");
    if (!value || !*value)
        return std::nullopt;
    return std::atoi(value);
}

// The system's printers, read here directly, as the class should list them.
std::vector<std::string> systemPrinters() {
    DWORD needed = 0, count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    EnumPrintersA(flags, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    if (!EnumPrintersA(flags, nullptr, 4, buffer.data(), needed, &needed, &count))
        return {};
    std::vector<std::string> names;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        names.push_back(win32::utf8FromAnsi(info[i].pPrinterName));
    return names;
}

std::string dllFolder() {
    HMODULE dll = GetModuleHandleA("printctl.dll");
    wchar_t name[MAX_PATH];
    DWORD n = dll ? GetModuleFileNameW(dll, name, MAX_PATH) : 0;
    std::wstring file(name, n);
    return win32::utf8FromWide(file.substr(0, file.find_last_of(L'\\')));
}

std::string readFile(const std::string& utf8Path) {
    std::ifstream in(fs::path(win32::wideFromUtf8(utf8Path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A caller's form: a hidden top-level window with a list box and a combo box.
class Form {
public:
    Form() {
        top_ = CreateWindowExW(0, L"STATIC", L"プリンタ設定", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                               nullptr, nullptr, nullptr, nullptr);
        listBox_ = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | LBS_HASSTRINGS, 0, 0, 200, 100,
                                   top_, nullptr, nullptr, nullptr);
        comboBox_ =
            CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0,
                            100, 200, 100, top_, nullptr, nullptr, nullptr);
    }
    ~Form() { DestroyWindow(top_); }
    bool ok() const { return top_ && listBox_ && comboBox_; }
    HWND top() const { return top_; }
    std::int64_t handle() const { return reinterpret_cast<INT_PTR>(top_); }
    HWND listBox() const { return listBox_; }
    HWND comboBox() const { return comboBox_; }

private:
    HWND top_ = nullptr;
    HWND listBox_ = nullptr;
    HWND comboBox_ = nullptr;
};

// The data folder of the DLL's installation ("<dll folder>\..\dat\") exists for the test, and
// the settings files the test names are removed afterwards.
class PrintctlDll : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetFileAttributesA("C:\\REDAZUDARUD.INI") != INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "a shared installation's marker is present";
        dataFolder = dllFolder() + "\\..\\dat\\";
        CreateDirectoryW(win32::wideFromUtf8(dataFolder).c_str(), nullptr);
        ASSERT_TRUE(form.ok()) << "no window (Wine needs its null display driver)";
        // Every box the library shows is answered (OK), so that none ever blocks the run.
        watcher = std::make_unique<DialogWatcher>();
    }
    void TearDown() override {
        if (watcher) {
            for (const auto& box : watcher->finish())
                ADD_FAILURE() << "unexpected message box: " << box.title << ": " << box.text;
        }
        for (const std::string& file : created) {
            std::wstring w = win32::wideFromUtf8(file);
            SetFileAttributesW(w.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(w.c_str());
        }
    }
    std::unique_ptr<printctl::Clsプリンタ制御> create(const std::string& program) {
        auto prt = printctl::CreateObject("printctl.Clsプリンタ制御");
        prt->FormNum(form.handle());
        prt->プログラム名(program);
        created.push_back(dataFolder + program + ".txt");
        return prt;
    }
    // Whether the system has printers (some) or none, as the test needs; a run set up by the
    // wrapper must see exactly the printers it set up.
    static bool printersAre(bool some) {
        auto expected = expectedPrinters();
        int count = static_cast<int>(systemPrinters().size());
        if (expected) {
            EXPECT_EQ(count, *expected) << "the system lists other printers than the run set up";
        }
        return (count > 0) == some;
    }
    // The message boxes shown so far; the watcher stops.
    std::vector<printctl::testing::SeenDialog> messages() {
        auto seen = watcher->finish();
        watcher.reset();
        return seen;
    }

    Form form;
    std::string dataFolder;
    std::vector<std::string> created;
    std::unique_ptr<DialogWatcher> watcher;
};

TEST(PrintctlDllExports, TheClassAndItsCreationButNothingOfTheFoundation) {
    HMODULE dll = GetModuleHandleA("printctl.dll");
    ASSERT_NE(dll, nullptr);
    // printctl::CreateObject(std::string_view) and the adapters' constructors.
    EXPECT_NE(GetProcAddress(
                  dll, "_ZN8printctl12CreateObjectESt17basic_string_viewIcSt11char_traitsIcEE"),
              nullptr);
    EXPECT_NE(GetProcAddress(dll, "_ZN8printctl12Win32ListBoxC1EP6HWND__"), nullptr);
    EXPECT_NE(GetProcAddress(dll, "_ZN8printctl13Win32ComboBoxC1EP6HWND__"), nullptr);
    // The DLL's own copies of the data-folder rule, CP932 and the platform stay private.
    EXPECT_EQ(GetProcAddress(dll, "_ZN7Module113GetDataFolderERK8Platform"), nullptr);
    EXPECT_EQ(GetProcAddress(dll, "_ZN5cp9326toUtf8ESt17basic_string_viewIcSt11char_traitsIcEE"),
              nullptr);
    EXPECT_EQ(GetProcAddress(dll, "_Z14systemPlatformv"), nullptr);

    EXPECT_NE(printctl::CreateObject("printctl.Clsプリンタ制御"), nullptr);
    EXPECT_EQ(printctl::CreateObject("printctl.clsプリンタ制御"), nullptr);
    EXPECT_EQ(printctl::CreateObject(""), nullptr);
}

TEST_F(PrintctlDll, TheSettingsFileLiesInTheDataFolderBesideTheDllsFolder) {
    auto prt = create("payroll");
    EXPECT_EQ(prt->SettingsFilePath(), dllFolder() + "\\..\\dat\\payroll.txt");
}

TEST_F(PrintctlDll, WithoutPrintersTheCallerIsToldOverItsWindowAndNothingIsRead) {
    if (!printersAre(false))
        GTEST_SKIP() << "printers are installed";
    auto prt = create("printctl-dll-test-none");
    // A settings file that must stay unread and untouched.
    const std::string bytes = "\"Office\",1,2,3,4\r\n";
    std::ofstream(fs::path(win32::wideFromUtf8(prt->SettingsFilePath())), std::ios::binary)
        << bytes;
    printctl::Win32ListBox list(form.listBox());
    EXPECT_FALSE(prt->Prt_List(list));
    auto seen = messages();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "制御エラー");
    EXPECT_EQ(seen[0].text, "プリンタが登録されていません。プリンタの追加を行って下さい。");
    EXPECT_EQ(seen[0].owner, form.top());
    EXPECT_EQ(seen[0].icon, systemIcon(IDI_HAND));
    EXPECT_EQ(prt->余白上(), 0);
    EXPECT_EQ(readFile(prt->SettingsFilePath()), bytes);
}

// A printer the user picks that is not the default, a Japanese one where there is one.
int pickNonDefault(const printctl::ListControl& list, const std::string& standard) {
    int pick = -1;
    for (int i = 0; i < list.ListCount(); ++i) {
        std::string name = list.List(i);
        if (name == standard)
            continue;
        if (pick < 0 || static_cast<unsigned char>(name[0]) >= 0x80)
            pick = i;
    }
    return pick;
}

class PrintctlDllRoundTrip : public PrintctlDll, public ::testing::WithParamInterface<bool> {
protected:
    // The list box or the combo box of a form.
    std::unique_ptr<printctl::ListControl> listOf(const Form& f) {
        if (GetParam())
            return std::make_unique<printctl::Win32ComboBox>(f.comboBox());
        return std::make_unique<printctl::Win32ListBox>(f.listBox());
    }
    void choose(const Form& f, int index) {
        // As the user's click does.
        if (GetParam())
            SendMessageW(f.comboBox(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        else
            SendMessageW(f.listBox(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
};

TEST_P(PrintctlDllRoundTrip, TheSavedPrinterIsChosenAgainAndTheMarginsComeBack) {
    if (!printersAre(true))
        GTEST_SKIP() << "no printer installed";
    const std::string program = GetParam() ? "printctl-dll-test-combo" : "printctl-dll-test-list";
    const std::vector<std::string> printers = systemPrinters();
    char standard[256] = {};
    DWORD size = sizeof standard;
    const std::string defaultPrinter =
        GetDefaultPrinterA(standard, &size) ? win32::utf8FromAnsi(standard) : "";

    auto prt = create(program);
    auto list = listOf(form);
    ASSERT_TRUE(prt->Prt_List(*list));
    ASSERT_EQ(list->ListCount(), static_cast<int>(printers.size()));
    for (int i = 0; i < list->ListCount(); ++i)
        EXPECT_EQ(list->List(i), printers[static_cast<std::size_t>(i)]);
    EXPECT_EQ(list->Text(), defaultPrinter);
    EXPECT_EQ(prt->余白上(), 0); // no settings file yet

    int pick = pickNonDefault(*list, defaultPrinter);
    ASSERT_GE(pick, 0) << "the run needs a printer besides the default";
    const std::string chosen = list->List(pick);
    choose(form, pick);
    prt->余白上(15);
    prt->余白下(12.5);
    prt->余白左(20);
    prt->余白右(0.1);
    ASSERT_TRUE(prt->Prt_Save(*list));
    EXPECT_EQ(readFile(prt->SettingsFilePath()),
              "\"" + cp932::fromUtf8(chosen) + "\",15,12.5,20,0.1\r\n");

    // The next time the caller's window opens: a new object and fresh controls.
    Form again;
    ASSERT_TRUE(again.ok());
    auto next = printctl::CreateObject("printctl.Clsプリンタ制御");
    next->FormNum(again.handle());
    next->プログラム名(program);
    auto list2 = listOf(again);
    ASSERT_TRUE(next->Prt_List(*list2));
    EXPECT_EQ(list2->Text(), chosen);
    EXPECT_EQ(next->余白上(), 15);
    EXPECT_EQ(next->余白下(), 12.5);
    EXPECT_EQ(next->余白左(), 20);
    EXPECT_EQ(next->余白右(), 0.1);
}

INSTANTIATE_TEST_SUITE_P(ListAndCombo, PrintctlDllRoundTrip, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "ComboBox" : "ListBox"; });

TEST_F(PrintctlDll, AReadOnlySettingsFileIsReportedAndKept) {
    auto prt = create("printctl-dll-test-readonly");
    printctl::Win32ListBox list(form.listBox());
    const std::string bytes = "\"Office\",1,2,3,4\r\n";
    std::wstring file = win32::wideFromUtf8(prt->SettingsFilePath());
    std::ofstream(fs::path(file), std::ios::binary) << bytes;
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(prt->Prt_Save(list));
    auto seen = messages();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "更新エラー");
    EXPECT_EQ(seen[0].text, "プリンタ名の保存に失敗しました。");
    EXPECT_EQ(seen[0].owner, form.top());
    EXPECT_EQ(readFile(prt->SettingsFilePath()), bytes);
}

TEST_F(PrintctlDll, AProgramNameWithAPathWritesNothingOutsideTheDataFolder) {
    for (const char* program : {"..\\printctl-dll-test-escape", "../printctl-dll-test-escape"}) {
        auto prt = create(program);
        printctl::Win32ListBox list(form.listBox());
        EXPECT_FALSE(prt->Prt_Save(list));
    }
    auto seen = messages();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].title, "更新エラー");
    const std::wstring outside =
        win32::wideFromUtf8(dllFolder() + "\\..\\printctl-dll-test-escape.txt");
    EXPECT_EQ(GetFileAttributesW(outside.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
