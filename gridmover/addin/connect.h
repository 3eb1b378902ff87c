#pragma once
// The add-in's frame: the object the environment creates and connects ("GRIDMOVER.Connect"). It
// creates the dockable tool window with the migration dialog, puts a button that shows it on the
// standard toolbar, and remembers across loadings whether the window was open.
#include "gridmover/addin/environment.h"

#include <memory>
#include <string>
#include <vector>

namespace gridmover::addin {

class docMigration;

// The references the add-in's modules share (one set per loaded add-in).
extern VBE* gVBInstance;                    // the environment's root object, from the connection
extern std::shared_ptr<Window> gToolWindow; // the tool window; empty until created and after
                                            // disconnection
extern docMigration* gDocMigration;         // the dialog inside the tool window

// The environment's programmatic identifiers of the add-in and of its dialog.
inline constexpr std::string_view kConnectProgId = "GRIDMOVER.Connect";
inline constexpr std::string_view kDocumentProgId = "GRIDMOVER.docMigration";
// The tool window's persistent identifier: the environment keeps its docking place under it.
inline constexpr std::string_view kToolWindowGuid = "{6E1C5A93-4B0D-4F7E-9A3C-2D8B7F14C0A5}";
// Where the add-ins of the environment keep their per-user settings, and the add-in's key.
inline constexpr std::string_view kSettingsApp = "Microsoft Visual Basic AddIns";
inline constexpr std::string_view kDisplayOnConnect = "DisplayOnConnect";

// How the environment connects an add-in.
enum ConnectMode : int {
    kAfterStartup = 0, // from the add-in manager, the environment already running
    kStartup = 1,      // while the environment starts
    kExternal = 2,     // by another program
    kCommandLine = 3,  // from the environment's command line
};

using CustomArgs = std::vector<std::string>; // the environment's extra arguments; never used

class Connect {
public:
    Connect(); // loads the version catalogue

    bool NonModalApp = true; // nothing reads it; kept for the environment's sake
    std::shared_ptr<VBProjectsEvents> PrjHandler;
    std::shared_ptr<CommandBarEvents> MenuHandler;

    // Shows the tool window centred on the screen and fills the dialog's lists (first time only).
    void Show();
    // Puts the button just before the standard toolbar's last control.
    void AddToCommandBar();

    void IDTExtensibility_OnConnection(VBE* VBInst, int ConnectMode, AddIn& AddInInst,
                                       CustomArgs& custom);
    void IDTExtensibility_OnDisconnection(int RemoveMode, CustomArgs& custom);
    void IDTExtensibility_OnStartupComplete(CustomArgs& custom);
    void IDTExtensibility_OnAddInsUpdate(CustomArgs& custom);

    void MenuHandler_Click(CommandBarControl& control, bool& handled, bool& CancelDefault);
    void PrjHandler_ItemRemoved(VBProject& project);

    // The button this object added last (for the host and the tests); may be empty.
    const std::shared_ptr<CommandBarControl>& Button() const { return button_; }

private:
    std::shared_ptr<CommandBarControl> button_;
};

// True while a program runs inside the environment: the "File" bar's first control is disabled
// then.
bool InRunMode(VBE* VBInst);

} // namespace gridmover::addin
