#include "gridmover/host/host_environment.h"

#include "gridmover/addin/doc_migration.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <stdexcept>

namespace gridmover::host {

namespace {

// The environment's run-time error for a missing item of a collection.
constexpr const char* kOutOfRange = "インデックスが有効範囲にありません。";

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

// An event handler's error goes back to the environment, which shows it and carries on.
template <class Body>
void reportingErrors(Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        try {
            addin::CurrentRuntime().prompts.message(MsgIcon::Critical, "", e.what());
        } catch (const std::exception&) {
        }
    }
}

} // namespace

std::string ActionControl::Caption() const {
    return action_ ? action_->text().toStdString() : std::string();
}

void ActionControl::SetCaption(std::string_view caption) {
    if (!action_) {
        throw std::runtime_error(kOutOfRange);
    }
    action_->setText(q(caption));
    action_->setToolTip(q(caption));
}

bool ActionControl::Enabled() const {
    return action_ && action_->isEnabled();
}

void ActionControl::PasteFace() {
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull() || !action_) {
        throw std::runtime_error("クリップボードに貼り付けられる画像がありません。");
    }
    action_->setIcon(QIcon(QPixmap::fromImage(image)));
}

void ActionControl::Delete() {
    if (!action_) {
        return;
    }
    if (bar_) {
        bar_->removeAction(action_);
    }
    delete action_.data();
}

void ActionControl::subscribe(const std::shared_ptr<addin::CommandBarEvents>& events) {
    events_.push_back(events);
    if (connected_ || !action_) {
        return;
    }
    connected_ = true;
    QObject::connect(action_, &QAction::triggered, &context_, [this] {
        // The handlers may add or delete controls: work on a copy of the list.
        auto list = events_;
        for (auto& weak : list) {
            if (auto e = weak.lock(); e && e->Click) {
                bool handled = false;
                bool cancel = false;
                reportingErrors([&] { e->Click(*this, handled, cancel); });
            }
        }
    });
}

bool ActionBar::Visible() const {
    return bar_ && !bar_->isHidden();
}

void ActionBar::SetVisible(bool visible) {
    // A menu is shown when it is opened; only a toolbar has a visible state of its own.
    if (auto* toolbar = qobject_cast<QToolBar*>(bar_.data())) {
        toolbar->setVisible(visible);
    }
}

std::vector<QAction*> ActionBar::controls() const {
    std::vector<QAction*> out;
    if (bar_) {
        for (QAction* a : bar_->actions()) {
            if (!a->isSeparator()) {
                out.push_back(a);
            }
        }
    }
    return out;
}

int ActionBar::ControlCount() const {
    return static_cast<int>(controls().size());
}

std::shared_ptr<ActionControl> ActionBar::controlFor(QAction* action) {
    auto& c = known_[action];
    if (!c) {
        c = std::make_shared<ActionControl>(action, bar_);
        QObject::connect(action, &QObject::destroyed, &context_,
                         [this, action] { known_.erase(action); });
    }
    return c;
}

addin::CommandBarControl& ActionBar::Control(int index) {
    auto list = controls();
    if (index < 1 || index > static_cast<int>(list.size())) {
        throw std::out_of_range(kOutOfRange);
    }
    return *controlFor(list[static_cast<std::size_t>(index - 1)]);
}

std::shared_ptr<addin::CommandBarControl> ActionBar::AddButton(int before) {
    auto list = controls();
    if (before < 1 || before > static_cast<int>(list.size()) + 1) {
        throw std::out_of_range(kOutOfRange);
    }
    auto* action = new QAction(bar_);
    if (before <= static_cast<int>(list.size())) {
        bar_->insertAction(list[static_cast<std::size_t>(before - 1)], action);
    } else {
        bar_->addAction(action);
    }
    return controlFor(action);
}

DockWindow::DockWindow(QMainWindow* window, QDockWidget* dock, addin::UserDocument* document)
    : window_(window), dock_(dock) {
    // The environment tells the document each time its window comes into view.
    QObject::connect(dock, &QDockWidget::visibilityChanged, dock, [document](bool visible) {
        if (visible && document != nullptr) {
            reportingErrors([document] { document->UserDocument_Show(); });
        }
    });
}

bool DockWindow::Visible() const {
    return dock_ && !dock_->isHidden();
}

void DockWindow::SetVisible(bool visible) {
    if (!dock_) {
        throw std::runtime_error(kOutOfRange);
    }
    dock_->setVisible(visible);
    if (visible) {
        dock_->raise();
    }
}

int DockWindow::Width() const {
    return width_ > 0 ? width_ : (dock_ ? dock_->width() : 0);
}

void DockWindow::SetWidth(int pixels) {
    width_ = pixels;
    if (dock_ && dock_->isFloating()) {
        dock_->resize(pixels, dock_->height());
    } else if (dock_ && window_) {
        window_->resizeDocks({dock_}, {pixels}, Qt::Horizontal);
    }
}

int DockWindow::Height() const {
    return height_ > 0 ? height_ : (dock_ ? dock_->height() : 0);
}

void DockWindow::SetHeight(int pixels) {
    height_ = pixels;
    if (dock_ && dock_->isFloating()) {
        dock_->resize(dock_->width(), pixels);
    } else if (dock_ && window_) {
        window_->resizeDocks({dock_}, {pixels}, Qt::Vertical);
    }
}

int DockWindow::Left() const {
    return left_;
}

void DockWindow::SetLeft(int pixels) {
    left_ = pixels;
    if (dock_ && dock_->isFloating()) {
        dock_->move(pixels, dock_->y());
    }
}

int DockWindow::Top() const {
    return top_;
}

void DockWindow::SetTop(int pixels) {
    top_ = pixels;
    if (dock_ && dock_->isFloating()) {
        dock_->move(dock_->x(), pixels);
    }
}

addin::AddIn& HostAddIns::Item(int index) {
    if (index < 1 || index > Count()) {
        throw std::out_of_range(kOutOfRange);
    }
    return *items[static_cast<std::size_t>(index - 1)];
}

addin::AddIn& HostAddIns::Item(std::string_view progId) {
    for (auto& a : items) {
        if (a->progId == progId) {
            return *a;
        }
    }
    throw std::out_of_range(kOutOfRange);
}

HostEnvironment::HostEnvironment(QMainWindow* window, QToolBar* standard, QMenu* file,
                                 ProjectHost& projects)
    : window_(window), projects_(projects), standard_(standard), file_(file) {}

addin::ToolWindow HostEnvironment::CreateToolWindow(addin::AddIn&, std::string_view progId,
                                                    std::string_view caption,
                                                    std::string_view guid) {
    std::unique_ptr<QWidget> widget = addin::CreateUserDocument(progId);
    auto* document = dynamic_cast<addin::UserDocument*>(widget.get());
    if (!widget || document == nullptr) {
        throw std::runtime_error("ActiveX コンポーネントはオブジェクトを作成できません。");
    }
    auto* dock = new QDockWidget(q(caption), window_);
    // The persistent identifier names the dock, so that the main window's saved layout finds it.
    dock->setObjectName(q(guid));
    dock->setWidget(widget.release());
    window_->addDockWidget(Qt::BottomDockWidgetArea, dock);
    dock->hide();
    auto w = std::make_shared<DockWindow>(window_, dock, document);
    windows_.push_back(w);
    return {w, document};
}

std::shared_ptr<addin::VBProjectsEvents> HostEnvironment::ProjectsEvents() {
    auto e = std::make_shared<addin::VBProjectsEvents>();
    projectEvents_.push_back(e);
    return e;
}

void HostEnvironment::projectRemoved(addin::VBProject& project) {
    auto list = projectEvents_;
    for (auto& weak : list) {
        if (auto e = weak.lock(); e && e->ItemRemoved) {
            reportingErrors([&] { e->ItemRemoved(project); });
        }
    }
}

std::shared_ptr<addin::CommandBarEvents>
HostEnvironment::CommandBarEventsFor(addin::CommandBarControl& control) {
    auto* c = dynamic_cast<ActionControl*>(&control);
    if (c == nullptr) {
        throw std::invalid_argument("型が一致しません。");
    }
    auto e = std::make_shared<addin::CommandBarEvents>();
    c->subscribe(e);
    return e;
}

addin::CommandBar& HostEnvironment::CommandBars(int index) {
    if (index != 2) {
        throw std::out_of_range(kOutOfRange);
    }
    return standard_;
}

addin::CommandBar& HostEnvironment::CommandBars(std::string_view name) {
    if (name == "File") {
        return file_;
    }
    if (name == "Standard") {
        return standard_;
    }
    throw std::out_of_range(kOutOfRange);
}

void HostEnvironment::destroyToolWindows() {
    for (auto& w : windows_) {
        delete w->dock();
    }
    windows_.clear();
}

void HostEnvironment::OpenProject(const std::filesystem::path& projectFile, bool exclusive) {
    projects_.OpenProjectFile(projectFile, exclusive);
}

} // namespace gridmover::host
