#pragma once
// The development environment's object model as the host program provides it: command bars over
// the host's toolbar and File menu, the add-in's tool window as a dock widget, the open project as
// read from its .vbp file.
#include "gridmover/addin/environment.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QToolBar>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace gridmover::host {

// What the host window does with projects on the add-in's behalf.
class ProjectHost {
public:
    virtual ~ProjectHost() = default;
    virtual addin::VBProject* ActiveProject() = 0;
    // Opens the project file (exclusive: as the only open project). Throws when it cannot be read.
    virtual void OpenProjectFile(const std::filesystem::path& file, bool exclusive) = 0;
};

// A toolbar button or menu item.
class ActionControl : public addin::CommandBarControl {
public:
    ActionControl(QAction* action, QWidget* bar) : action_(action), bar_(bar) {}
    std::string Caption() const override;
    void SetCaption(std::string_view caption) override;
    bool Enabled() const override;
    void PasteFace() override;
    void Delete() override;

    QAction* action() const { return action_; }
    // The click events of this control, delivered while their holder keeps them.
    void subscribe(const std::shared_ptr<addin::CommandBarEvents>& events);

private:
    QPointer<QAction> action_;
    QPointer<QWidget> bar_;
    std::vector<std::weak_ptr<addin::CommandBarEvents>> events_;
    bool connected_ = false;
    // The connections that call back into this object end with it.
    QObject context_;
};

// A toolbar or a menu as a command bar: its controls are its actions, separators aside.
class ActionBar : public addin::CommandBar {
public:
    explicit ActionBar(QWidget* bar) : bar_(bar) {}
    bool Visible() const override;
    void SetVisible(bool visible) override;
    int ControlCount() const override;
    addin::CommandBarControl& Control(int index) override;
    std::shared_ptr<addin::CommandBarControl> AddButton(int before) override;

private:
    std::vector<QAction*> controls() const;
    std::shared_ptr<ActionControl> controlFor(QAction* action);

    QPointer<QWidget> bar_;
    std::map<QAction*, std::shared_ptr<ActionControl>> known_;
    QObject context_; // ends the connections that call back into this object
};

// The add-in's tool window: a dock widget of the main window.
class DockWindow : public addin::Window {
public:
    DockWindow(QMainWindow* window, QDockWidget* dock, addin::UserDocument* document);
    bool Visible() const override;
    void SetVisible(bool visible) override;
    int Width() const override;
    void SetWidth(int pixels) override;
    int Height() const override;
    void SetHeight(int pixels) override;
    int Left() const override;
    void SetLeft(int pixels) override;
    int Top() const override;
    void SetTop(int pixels) override;

    QDockWidget* dock() const { return dock_; }

private:
    QPointer<QMainWindow> window_;
    QPointer<QDockWidget> dock_;
    // Size and place as the add-in set them: a docked window takes the size along the main
    // window's edge and keeps the place for when it floats.
    int width_ = 0, height_ = 0, left_ = 0, top_ = 0;
};

class HostAddIn : public addin::AddIn {
public:
    explicit HostAddIn(std::string progId) : progId(std::move(progId)) {}
    std::string progId;
    bool connected = false;
    bool Connected() const override { return connected; }
};

class HostAddIns : public addin::AddIns {
public:
    std::vector<std::unique_ptr<HostAddIn>> items;
    int Count() const override { return static_cast<int>(items.size()); }
    addin::AddIn& Item(int index) override;
    addin::AddIn& Item(std::string_view progId) override;
};

class HostEnvironment : public addin::VBE {
public:
    HostEnvironment(QMainWindow* window, QToolBar* standard, QMenu* file, ProjectHost& projects);

    addin::ToolWindow CreateToolWindow(addin::AddIn& owner, std::string_view progId,
                                       std::string_view caption, std::string_view guid) override;
    addin::AddIns& Addins() override { return addins_; }
    std::shared_ptr<addin::VBProjectsEvents> ProjectsEvents() override;
    std::shared_ptr<addin::CommandBarEvents>
    CommandBarEventsFor(addin::CommandBarControl& control) override;
    addin::CommandBar& CommandBars(int index) override;
    addin::CommandBar& CommandBars(std::string_view name) override;
    addin::VBProject* ActiveVBProject() override { return projects_.ActiveProject(); }
    void OpenProject(const std::filesystem::path& projectFile, bool exclusive) override;

    HostAddIns& addins() { return addins_; }
    // Tells the add-ins that listen that a project is going away.
    void projectRemoved(addin::VBProject& project);
    // The tool windows created so far (their docks belong to the main window).
    const std::vector<std::shared_ptr<DockWindow>>& toolWindows() const { return windows_; }
    // An unloaded add-in's tool windows go with it.
    void destroyToolWindows();

private:
    QPointer<QMainWindow> window_;
    ProjectHost& projects_;
    ActionBar standard_;
    ActionBar file_;
    HostAddIns addins_;
    std::vector<std::weak_ptr<addin::VBProjectsEvents>> projectEvents_;
    std::vector<std::shared_ptr<DockWindow>> windows_;
};

} // namespace gridmover::host
