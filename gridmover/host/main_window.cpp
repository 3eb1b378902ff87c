#include "gridmover/host/main_window.h"

#include "foundation/cp932.h"
#include "gridmover/core/file_access.h"
#include "gridmover/core/string_resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHeaderView>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>

#include <map>

namespace gridmover::host {

namespace {

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

QString pathText(const std::filesystem::path& p) {
    return QString::fromStdU16String(p.u16string());
}

// The project explorer's folders, in the environment's order and wording.
const std::vector<std::pair<std::string, QString>>& kindFolders() {
    static const std::vector<std::pair<std::string, QString>> folders{
        {"Form", QStringLiteral("フォーム")},
        {"Module", QStringLiteral("標準モジュール")},
        {"Class", QStringLiteral("クラス モジュール")},
        {"UserControl", QStringLiteral("ユーザー コントロール")},
        {"PropertyPage", QStringLiteral("プロパティ ページ")},
        {"UserDocument", QStringLiteral("ユーザー ドキュメント")},
        {"Designer", QStringLiteral("デザイナ")},
    };
    return folders;
}

constexpr int kFileRole = Qt::UserRole + 1;

} // namespace

HostWindow::HostWindow(Prompts& prompts, const QString& settingsFile,
                       std::shared_ptr<const Registry> registry, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts), screen_(this), settings_(settingsFile),
      registry_(std::move(registry)), runtime_{screen_, settings_, clipboard_, prompts_,
                                               *registry_} {
    setObjectName(QStringLiteral("gridmoverHost"));
    setWindowTitle(QStringLiteral("gridmover"));
    resize(1024, 700);
    addin::SetRuntime(&runtime_);

    viewer_ = new QPlainTextEdit(this);
    viewer_->setObjectName(QStringLiteral("viewer"));
    viewer_->setReadOnly(true);
    viewer_->setLineWrapMode(QPlainTextEdit::NoWrap);
    viewer_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    viewer_->setPlaceholderText(
        QStringLiteral("プロジェクト エクスプローラでコンポーネントを選ぶと、そのソースが表示"
                       "されます（読み取り専用）。"));
    setCentralWidget(viewer_);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("projectTree"));
    tree_->setHeaderHidden(true);
    treeDock_ = new QDockWidget(QStringLiteral("プロジェクト"), this);
    treeDock_->setObjectName(QStringLiteral("projectExplorer"));
    treeDock_->setWidget(tree_);
    addDockWidget(Qt::LeftDockWidgetArea, treeDock_);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr && item->data(0, kFileRole).isValid()) {
            ShowComponentSource(item->data(0, kFileRole).toString().toStdU16String());
        }
    });

    buildMenusAndBars();
    env_ = std::make_unique<HostEnvironment>(this, standard_, fileMenu_, *this);
    env_->addins().items.push_back(std::make_unique<HostAddIn>(std::string(addin::kConnectProgId)));
    statusBar()->showMessage(QStringLiteral("プロジェクトが開かれていません"));
}

HostWindow::~HostWindow() {
    UnloadAddIn();
    addin::SetRuntime(nullptr);
}

void HostWindow::buildMenusAndBars() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    openAction_ = fileMenu_->addAction(style()->standardIcon(QStyle::SP_DialogOpenButton),
                                       QStringLiteral("プロジェクトを開く(&O)..."));
    openAction_->setShortcut(QKeySequence::Open);
    connect(openAction_, &QAction::triggered, this, [this] { chooseProject(); });
    fileMenu_->addSeparator();
    QAction* quit = fileMenu_->addAction(QStringLiteral("終了(&X)"));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* runMenu = menuBar()->addMenu(QStringLiteral("実行(&R)"));
    startAction_ =
        runMenu->addAction(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("開始(&S)"));
    startAction_->setShortcut(Qt::Key_F5);
    endAction_ =
        runMenu->addAction(style()->standardIcon(QStyle::SP_MediaStop), QStringLiteral("終了(&E)"));
    endAction_->setEnabled(false);
    connect(startAction_, &QAction::triggered, this, [this] { SetRunMode(true); });
    connect(endAction_, &QAction::triggered, this, [this] { SetRunMode(false); });

    QMenu* addInMenu = menuBar()->addMenu(QStringLiteral("アドイン(&A)"));
    addInAction_ = addInMenu->addAction(q(kAddInTitle));
    addInAction_->setCheckable(true);
    connect(addInAction_, &QAction::triggered, this, [this](bool load) {
        // Loaded from the add-in manager: the environment has started already.
        if (load) {
            LoadAddIn(addin::kAfterStartup);
        } else {
            UnloadAddIn();
        }
    });

    // Command bar 2: the standard toolbar. Its last control is the project explorer's; the
    // add-in's button goes just before it.
    standard_ = addToolBar(QStringLiteral("標準"));
    standard_->setObjectName(QStringLiteral("standardBar"));
    standard_->addAction(openAction_);
    standard_->addSeparator();
    standard_->addAction(startAction_);
    standard_->addAction(endAction_);
    standard_->addSeparator();
    QAction* explorer = treeDock_->toggleViewAction();
    explorer->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    explorer->setText(QStringLiteral("プロジェクト エクスプローラ"));
    standard_->addAction(explorer);
}

bool HostWindow::LoadAddIn(int connectMode) {
    if (connect_) {
        return false;
    }
    auto& entry = static_cast<HostAddIn&>(env_->addins().Item(addin::kConnectProgId));
    connect_ = std::make_unique<addin::Connect>();
    addin::CustomArgs custom;
    connect_->IDTExtensibility_OnConnection(env_.get(), connectMode, entry, custom);
    entry.connected = true;
    addInAction_->setChecked(true);
    return true;
}

void HostWindow::StartupComplete() {
    if (connect_) {
        addin::CustomArgs custom;
        connect_->IDTExtensibility_OnStartupComplete(custom);
    }
}

void HostWindow::UnloadAddIn() {
    if (!connect_) {
        return;
    }
    addin::CustomArgs custom;
    connect_->IDTExtensibility_OnDisconnection(0, custom);
    connect_.reset();
    env_->destroyToolWindows();
    static_cast<HostAddIn&>(env_->addins().Item(addin::kConnectProgId)).connected = false;
    addInAction_->setChecked(false);
}

void HostWindow::chooseProject() {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("プロジェクトを開く"), QString(),
        QStringLiteral("プロジェクト ファイル (*.vbp *.VBP);;すべてのファイル (*)"));
    if (!file.isEmpty()) {
        OpenProject(file.toStdU16String());
    }
}

bool HostWindow::OpenProject(const std::filesystem::path& vbp) {
    try {
        OpenProjectFile(vbp, true);
        return true;
    } catch (const std::exception& e) {
        showError(prompts_, std::string("プロジェクトを開けません。\n") + e.what());
        return false;
    }
}

addin::VBProject* HostWindow::ActiveProject() {
    return project_.get();
}

void HostWindow::OpenProjectFile(const std::filesystem::path& file, bool) {
    // The host holds one project at a time, so every open is exclusive.
    auto next = std::make_unique<HostProject>(file);
    if (project_) {
        env_->projectRemoved(*project_);
    }
    project_ = std::move(next);
    fillTree();
    setWindowTitle(q(project_->Name()) + QStringLiteral(" - gridmover"));
    statusBar()->showMessage(pathText(file));
    // A reopened project shows its components' new text.
    if (shownFile_) {
        ShowComponentSource(*shownFile_);
    }
}

void HostWindow::fillTree() {
    tree_->clear();
    auto* root = new QTreeWidgetItem(tree_, {q(project_->Name()) + QStringLiteral(" (") +
                                             pathText(project_->FileName().filename()) +
                                             QStringLiteral(")")});
    std::map<std::string, QTreeWidgetItem*> folders;
    for (const auto& [kind, label] : kindFolders()) {
        for (const auto& c : project_->components()) {
            if (c.kind() != kind) {
                continue;
            }
            auto& folder = folders[kind];
            if (folder == nullptr) {
                folder = new QTreeWidgetItem(root, {label});
            }
            auto* item = new QTreeWidgetItem(folder, {q(c.Name()) + QStringLiteral(" (") +
                                                      pathText(c.FileNames(1).filename()) +
                                                      QStringLiteral(")")});
            item->setData(0, kFileRole, pathText(c.FileNames(1)));
            QString tip = pathText(c.FileNames(1));
            if (c.FileCount() > 1) {
                tip += QStringLiteral("\n") + pathText(c.FileNames(2));
            }
            item->setToolTip(0, tip);
        }
    }
    tree_->expandAll();
}

void HostWindow::ShowComponentSource(const std::filesystem::path& file) {
    shownFile_ = file;
    try {
        const std::string bytes = ReadFileBytes(file);
        // VB6 sources are CP932; a file that is not is shown byte for byte rather than refused.
        if (auto text = cp932::tryToUtf8(bytes)) {
            viewer_->setPlainText(QString::fromStdString(*text));
        } else {
            viewer_->setPlainText(
                QString::fromLatin1(bytes.data(), static_cast<int>(bytes.size())));
        }
    } catch (const std::exception& e) {
        viewer_->setPlainText(QString::fromStdString(e.what()));
    }
}

void HostWindow::SetRunMode(bool running) {
    openAction_->setEnabled(!running);
    startAction_->setEnabled(!running);
    endAction_->setEnabled(running);
}

void HostWindow::closeEvent(QCloseEvent* event) {
    // The add-in remembers whether its window was open: it is told before the window goes.
    UnloadAddIn();
    QMainWindow::closeEvent(event);
}

} // namespace gridmover::host
