#pragma once
// libprintctl: remembers, per calling program, the chosen printer and four page margins, and opens
// the printer's properties dialog. The public interface of the library.
//
// A caller creates the class by its programmatic identifier and uses it in this order:
//
//   auto prt = printctl::CreateObject("printctl.Clsプリンタ制御");
//   prt->FormNum(window->winId());  prt->プログラム名("myprogram");
//   printctl::ComboBoxList list(comboBox);
//   if (prt->Prt_List(list)) { top = prt->余白上(); ... }        // may throw SettingsFileError
//   ... on OK: prt->余白上(top); ...; prt->Prt_Save(list);
//   ... on the properties button: prt->Prt_Property(list);
//
// On Linux the class shows its messages and the properties dialog with Qt Widgets: the caller runs
// a QApplication, on whose thread every call is made. On Windows (printctl.dll) it uses the
// system's message boxes and printer dialog, and the caller's list is its own list box or combo box
// window (printctl/platform/win32/win32_list_controls.h).
#include "printctl/list_control.h"
#include "printctl/printctl_export.h"
#include "printctl/settings_file_error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class Prompts;

namespace printctl {

class PrinterSystem;

// The identifier under which the class is created.
inline constexpr std::string_view kProgId = "printctl.Clsプリンタ制御";

class PRINTCTL_EXPORT Clsプリンタ制御 {
public:
    // What the class works with; CreateObject supplies the system's own.
    struct Services {
        std::shared_ptr<PrinterSystem> printers;
        std::shared_ptr<Prompts> prompts;
        // The data folder, ending in a separator.
        std::function<std::string()> dataFolder;
        // Told of every FormNum, so that messages can be shown over the owner window (may be
        // empty).
        std::function<void(std::int64_t)> ownerChanged;
    };
    explicit Clsプリンタ制御(Services services);
    ~Clsプリンタ制御();
    Clsプリンタ制御(const Clsプリンタ制御&) = delete;
    Clsプリンタ制御& operator=(const Clsプリンタ制御&) = delete;

    // The owner window: the caller's native window id (QWidget::winId()), 0 for none. Messages
    // and the properties dialog are modal to it.
    void FormNum(std::int64_t vFormNum);
    // The calling program's name; it names the settings file "<data folder><name>.txt".
    void プログラム名(std::string_view Prgnam);
    // The four margins, in the caller's unit; kept and handed back unchanged.
    void 余白上(double vMTop) { top_ = vMTop; }
    void 余白下(double vMBottom) { bottom_ = vMBottom; }
    void 余白左(double vMLeft) { left_ = vMLeft; }
    void 余白右(double vMRight) { right_ = vMRight; }
    double 余白上() const { return top_; }
    double 余白下() const { return bottom_; }
    double 余白左() const { return left_; }
    double 余白右() const { return right_; }

    // Adds the system's printers to the list (without clearing it), chooses the default printer,
    // then the printer saved for this program when it is listed, and loads the saved margins.
    // False, after the message "プリンタが登録されていません。…", when the list stays empty.
    // Throws SettingsFileError when the settings file exists but cannot be read.
    bool Prt_List(ListControl& vListBox);
    // Saves the list's chosen printer and the margins. False, after the message
    // "プリンタ名の保存に失敗しました。", when they cannot be saved; the earlier file then stays
    // as it was.
    bool Prt_Save(ListControl& vListBox);
    // Opens the properties dialog of the list's chosen printer.
    void Prt_Property(ListControl& vListBox);

    // The settings file of this program.
    std::string SettingsFilePath() const;

private:
    Services services_;
    std::int64_t owner_ = 0;
    std::string program_;
    double top_ = 0;
    double bottom_ = 0;
    double left_ = 0;
    double right_ = 0;
};

// Creates the class registered under progId, working with the system's printers (CUPS or the
// Windows spooler), its message boxes (Qt's or Windows' own) and the installation's data folder;
// nullptr for any other identifier.
PRINTCTL_EXPORT std::unique_ptr<Clsプリンタ制御> CreateObject(std::string_view progId);

} // namespace printctl
