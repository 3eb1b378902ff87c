#pragma once
// What the add-in calls in the development environment that loads it, and nothing more: the few
// objects of the environment's extensibility model it uses (root object, tool window, add-in
// collection, command bars, projects and components, their events) and the runtime's services
// (screen, per-user settings, clipboard). The Qt host implements it for real (host/), the tests
// with a fake; the add-in's code runs unchanged on both.
//
// Failures surface as exceptions (std::runtime_error and the like), as run-time errors do in the
// environment: the add-in's procedures trap them where they always did.
#include "foundation/prompts.h"
#include "gridmover/core/registry.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace gridmover::addin {

// A picture of the add-in's resources: pixels 0xAARRGGBB, row after row from the top.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool operator==(const Bitmap&) const = default;
};

// The document a tool window hosts (created by the environment from its identifier).
class UserDocument {
public:
    virtual ~UserDocument() = default;
    // Called by the environment each time the tool window is shown.
    virtual void UserDocument_Show() = 0;
};

// The environment's window object of a tool window. Sizes and positions in pixels.
class Window {
public:
    virtual ~Window() = default;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual int Width() const = 0;
    virtual void SetWidth(int pixels) = 0;
    virtual int Height() const = 0;
    virtual void SetHeight(int pixels) = 0;
    virtual int Left() const = 0;
    virtual void SetLeft(int pixels) = 0;
    virtual int Top() const = 0;
    virtual void SetTop(int pixels) = 0;
};

// An add-in the environment knows (from its add-in list).
class AddIn {
public:
    virtual ~AddIn() = default;
    virtual bool Connected() const = 0;
};

class AddIns {
public:
    virtual ~AddIns() = default;
    virtual int Count() const = 0;
    // 1-based; throws when out of range.
    virtual AddIn& Item(int index) = 0;
    // By programmatic identifier; throws when the environment has no such add-in.
    virtual AddIn& Item(std::string_view progId) = 0;
};

class CommandBarControl {
public:
    virtual ~CommandBarControl() = default;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(std::string_view caption) = 0;
    virtual bool Enabled() const = 0;
    // Takes the picture on the clipboard as the button's face.
    virtual void PasteFace() = 0;
    // Removes the control from its bar.
    virtual void Delete() = 0;
};

class CommandBar {
public:
    virtual ~CommandBar() = default;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual int ControlCount() const = 0;
    // 1-based; throws when out of range.
    virtual CommandBarControl& Control(int index) = 0;
    // A new button placed before the control at position `before` (1-based).
    virtual std::shared_ptr<CommandBarControl> AddButton(int before) = 0;
};

class VBProject;

// Event sources: the environment calls the handler the add-in assigns, for as long as the add-in
// holds the source object.
struct VBProjectsEvents {
    std::function<void(VBProject&)> ItemRemoved;
};
struct CommandBarEvents {
    std::function<void(CommandBarControl&, bool& handled, bool& cancelDefault)> Click;
};

class VBComponent {
public:
    virtual ~VBComponent() = default;
    virtual std::string Name() const = 0;
    virtual bool IsDirty() const = 0;
    virtual int FileCount() const = 0;
    // 1 = the text file, 2 = the binary companion; throws outside 1..FileCount.
    virtual std::filesystem::path FileNames(int index) const = 0;
};

class VBProject {
public:
    virtual ~VBProject() = default;
    virtual std::string Name() const = 0;
    virtual std::filesystem::path FileName() const = 0;
    virtual bool IsDirty() const = 0;
    virtual int ComponentCount() const = 0;
    // 1-based, in the project's order; throws when out of range.
    virtual VBComponent& Component(int index) = 0;
};

struct ToolWindow {
    std::shared_ptr<Window> window;
    UserDocument* document = nullptr; // owned by the environment, lives as long as the window
};

// The environment's root object.
class VBE {
public:
    virtual ~VBE() = default;
    virtual ToolWindow CreateToolWindow(AddIn& owner, std::string_view progId,
                                        std::string_view caption, std::string_view guid) = 0;
    virtual AddIns& Addins() = 0;
    virtual std::shared_ptr<VBProjectsEvents> ProjectsEvents() = 0;
    virtual std::shared_ptr<CommandBarEvents> CommandBarEventsFor(CommandBarControl& control) = 0;
    // Command bar by 1-based number (2 is the standard toolbar) or by name ("File"); throws when
    // there is none.
    virtual CommandBar& CommandBars(int index) = 0;
    virtual CommandBar& CommandBars(std::string_view name) = 0;
    // The active project, or nullptr when none is open.
    virtual VBProject* ActiveVBProject() = 0;
    // Opens a project file; exclusive: as the only open project, replacing the others.
    virtual void OpenProject(const std::filesystem::path& projectFile, bool exclusive) = 0;
};

// The language runtime's services that the add-in uses.
class Screen {
public:
    virtual ~Screen() = default;
    virtual int Width() const = 0;  // twips
    virtual int Height() const = 0; // twips
    virtual int TwipsPerPixelX() const = 0;
    virtual int TwipsPerPixelY() const = 0;
    virtual int MousePointer() const = 0; // 0 default, 11 hourglass
    virtual void SetMousePointer(int pointer) = 0;
};

// The per-user application settings store: application, section, key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string GetSetting(std::string_view appName, std::string_view section,
                                   std::string_view key, std::string_view defaultValue) const = 0;
    virtual void SaveSetting(std::string_view appName, std::string_view section,
                             std::string_view key, std::string_view value) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void Clear() = 0;
    virtual void SetData(const Bitmap& picture) = 0;
};

struct Runtime {
    Screen& screen;
    SettingsStore& settings;
    Clipboard& clipboard;
    Prompts& prompts;         // message boxes (a message given no title shows the add-in's title)
    const Registry& registry; // where installed grid versions are registered
};

// The runtime the loaded add-in uses; set by whoever loads it, before the first Connect call.
void SetRuntime(Runtime* runtime);
// Throws std::logic_error when none is set.
Runtime& CurrentRuntime();

} // namespace gridmover::addin
