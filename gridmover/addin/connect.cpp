#include "gridmover/addin/connect.h"

#include "gridmover/addin/doc_migration.h"
#include "gridmover/addin/resources.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/string_resources.h"

#include <cmath>
#include <exception>
#include <stdexcept>

namespace gridmover::addin {

VBE* gVBInstance = nullptr;
std::shared_ptr<Window> gToolWindow;
docMigration* gDocMigration = nullptr;

namespace {

// The run-time error of a missing object, as the environment words it.
constexpr const char* kObjectNotSet =
    "オブジェクト変数または With ブロック変数が設定されていません。";

// The environment's rounding of a pixel count: to the nearest integer, halves to even.
int roundToEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

// The procedures that trap their errors show the error's text in a box titled with the add-in's
// title, and end.
template <class Body>
void trapped(Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        CurrentRuntime().prompts.message(MsgIcon::None, kAddInTitle, e.what());
    }
}

} // namespace

Connect::Connect() {
    LoadGridVersions();
}

void Connect::IDTExtensibility_OnConnection(VBE* VBInst, int ConnectMode, AddIn& AddInInst,
                                            CustomArgs&) {
    trapped([&] {
        gVBInstance = VBInst;
        if (VBInst == nullptr) {
            throw std::runtime_error(kObjectNotSet);
        }
        if (gToolWindow) {
            Show();
            if (ConnectMode == kAfterStartup) {
                AddToCommandBar();
            }
            return;
        }
        AddIn* owner = &AddInInst;
        bool createWindow = true;
        if (ConnectMode == kExternal) {
            AddIn* found = nullptr;
            try {
                found = &VBInst->Addins().Item(kConnectProgId);
            } catch (const std::exception&) {
            }
            if (found == nullptr) {
                owner = &VBInst->Addins().Item(1);
            } else if (found->Connected()) {
                createWindow = false;
            } else {
                owner = found;
            }
        }
        if (createWindow) {
            ToolWindow created = VBInst->CreateToolWindow(
                *owner, kDocumentProgId, LoadResString(kResToolWindowCaption), kToolWindowGuid);
            gToolWindow = created.window;
            gDocMigration = dynamic_cast<docMigration*>(created.document);
        }
        PrjHandler = VBInst->ProjectsEvents();
        PrjHandler->ItemRemoved = [this](VBProject& project) { PrjHandler_ItemRemoved(project); };
        if (ConnectMode == kExternal) {
            Show();
        } else if (ConnectMode == kAfterStartup) {
            AddToCommandBar();
        }
    });
}

void Connect::IDTExtensibility_OnDisconnection(int, CustomArgs&) {
    try {
        if (button_) {
            button_->Delete();
        }
        if (!gToolWindow) {
            throw std::runtime_error(kObjectNotSet);
        }
        CurrentRuntime().settings.SaveSetting(kSettingsApp, kAddInTitle, kDisplayOnConnect,
                                              gToolWindow->Visible() ? "1" : "0");
        gToolWindow.reset();
        // The dialog goes with its window; a later connection creates both anew.
        gDocMigration = nullptr;
    } catch (const std::exception&) {
    }
}

void Connect::IDTExtensibility_OnStartupComplete(CustomArgs&) {
    AddToCommandBar();
}

void Connect::IDTExtensibility_OnAddInsUpdate(CustomArgs&) {}

void Connect::AddToCommandBar() {
    trapped([&] {
        if (gVBInstance == nullptr) {
            throw std::runtime_error(kObjectNotSet);
        }
        Runtime& rt = CurrentRuntime();
        CommandBar& bar = gVBInstance->CommandBars(2);
        bar.SetVisible(true);
        const int n = bar.ControlCount();
        button_ = bar.AddButton(n);
        button_->SetCaption(LoadResString(kResButtonCaption));
        // The toolbar takes a button's face only from the clipboard.
        rt.clipboard.Clear();
        rt.clipboard.SetData(LoadResPicture(kResButtonFace));
        button_->PasteFace();
        MenuHandler = gVBInstance->CommandBarEventsFor(*button_);
        MenuHandler->Click = [this](CommandBarControl& control, bool& handled, bool& cancel) {
            MenuHandler_Click(control, handled, cancel);
        };
        if (rt.settings.GetSetting(kSettingsApp, kAddInTitle, kDisplayOnConnect, "0") == "1") {
            Show();
        }
    });
}

void Connect::Show() {
    trapped([&] {
        if (!gToolWindow) {
            throw std::runtime_error(kObjectNotSet);
        }
        gToolWindow->SetVisible(true);
        const Screen& screen = CurrentRuntime().screen;
        const double tx = screen.TwipsPerPixelX();
        const double ty = screen.TwipsPerPixelY();
        gToolWindow->SetHeight(roundToEven(3000 / ty));
        gToolWindow->SetWidth(roundToEven(6000 / tx));
        gToolWindow->SetLeft(roundToEven((screen.Width() / tx - gToolWindow->Width()) / 2));
        gToolWindow->SetTop(roundToEven((screen.Height() / ty - gToolWindow->Height()) / 2));
        if (gDocMigration == nullptr) {
            throw std::runtime_error(kObjectNotSet);
        }
        gDocMigration->ScanRegistry();
    });
}

void Connect::MenuHandler_Click(CommandBarControl&, bool&, bool&) {
    Show();
}

void Connect::PrjHandler_ItemRemoved(VBProject&) {
    // Whether a removed project should close the window is not decided; the state is read only.
    if (gToolWindow) {
        (void)gToolWindow->Visible();
    }
}

bool InRunMode(VBE* VBInst) {
    if (VBInst == nullptr) {
        throw std::runtime_error(kObjectNotSet);
    }
    return !VBInst->CommandBars("File").Control(1).Enabled();
}

} // namespace gridmover::addin
