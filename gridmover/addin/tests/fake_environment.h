#pragma once
// A development environment in memory for the add-in's tests: it records what the add-in does to
// its toolbar, tool window, clipboard and settings, and holds a project described by the test.
#include "foundation/testing/scripted_prompts.h"
#include "gridmover/addin/doc_migration.h"
#include "gridmover/addin/environment.h"

#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace fake {

using namespace gridmover::addin;

class FakeWindow : public Window {
public:
    bool visible = false;
    int width = 0, height = 0, left = 0, top = 0;
    UserDocument* document = nullptr;
    int shows = 0; // how often the document's Show ran

    bool Visible() const override { return visible; }
    void SetVisible(bool v) override {
        const bool showing = v && !visible;
        visible = v;
        if (showing && document != nullptr) {
            ++shows;
            document->UserDocument_Show();
        }
    }
    int Width() const override { return width; }
    void SetWidth(int px) override { width = px; }
    int Height() const override { return height; }
    void SetHeight(int px) override { height = px; }
    int Left() const override { return left; }
    void SetLeft(int px) override { left = px; }
    int Top() const override { return top; }
    void SetTop(int px) override { top = px; }
};

class FakeAddIn : public AddIn {
public:
    explicit FakeAddIn(std::string id, bool connected = false)
        : progId(std::move(id)), connected(connected) {}
    std::string progId;
    bool connected;
    bool Connected() const override { return connected; }
};

class FakeAddIns : public AddIns {
public:
    std::vector<std::unique_ptr<FakeAddIn>> items;
    int Count() const override { return static_cast<int>(items.size()); }
    AddIn& Item(int index) override {
        if (index < 1 || index > Count())
            throw std::out_of_range("インデックスが有効範囲にありません。");
        return *items[index - 1];
    }
    AddIn& Item(std::string_view progId) override {
        for (auto& a : items)
            if (a->progId == progId)
                return *a;
        throw std::out_of_range("インデックスが有効範囲にありません。");
    }
};

class FakeClipboard;

class FakeControl : public CommandBarControl {
public:
    FakeControl(std::string caption, bool enabled, FakeClipboard* clipboard)
        : caption(std::move(caption)), enabled(enabled), clipboard(clipboard) {}
    std::string caption;
    bool enabled;
    bool deleted = false;
    FakeClipboard* clipboard;
    std::optional<Bitmap> face;
    std::function<void()> onDelete;

    std::string Caption() const override { return caption; }
    void SetCaption(std::string_view c) override { caption = c; }
    bool Enabled() const override { return enabled; }
    void PasteFace() override;
    void Delete() override {
        deleted = true;
        if (onDelete)
            onDelete();
    }
};

class FakeClipboard : public Clipboard {
public:
    std::optional<Bitmap> picture;
    std::string text = "earlier content";
    void Clear() override {
        picture.reset();
        text.clear();
    }
    void SetData(const Bitmap& b) override { picture = b; }
};

inline void FakeControl::PasteFace() {
    if (!clipboard->picture)
        throw std::runtime_error("クリップボードに画像がありません。");
    face = clipboard->picture;
}

class FakeBar : public CommandBar {
public:
    FakeBar(FakeClipboard* clipboard, std::vector<std::string> captions) : clipboard_(clipboard) {
        for (auto& c : captions)
            controls.push_back(std::make_shared<FakeControl>(c, true, clipboard));
    }
    std::vector<std::shared_ptr<FakeControl>> controls;
    bool visible = false;
    std::vector<int> addedBefore; // the positions AddButton was asked for

    bool Visible() const override { return visible; }
    void SetVisible(bool v) override { visible = v; }
    int ControlCount() const override { return static_cast<int>(controls.size()); }
    CommandBarControl& Control(int index) override {
        if (index < 1 || index > ControlCount())
            throw std::out_of_range("インデックスが有効範囲にありません。");
        return *controls[index - 1];
    }
    std::shared_ptr<CommandBarControl> AddButton(int before) override {
        if (before < 1 || before > ControlCount() + 1)
            throw std::out_of_range("インデックスが有効範囲にありません。");
        addedBefore.push_back(before);
        auto c = std::make_shared<FakeControl>("", true, clipboard_);
        std::weak_ptr<FakeControl> weak = c;
        c->onDelete = [this, weak] {
            auto self = weak.lock();
            std::erase(controls, self);
        };
        controls.insert(controls.begin() + (before - 1), c);
        return c;
    }

private:
    FakeClipboard* clipboard_;
};

struct FakeComponent : VBComponent {
    std::string name;
    bool dirty = false;
    std::vector<std::filesystem::path> files;
    std::string Name() const override { return name; }
    bool IsDirty() const override { return dirty; }
    int FileCount() const override { return static_cast<int>(files.size()); }
    std::filesystem::path FileNames(int index) const override {
        if (index < 1 || index > FileCount())
            throw std::out_of_range("インデックスが有効範囲にありません。");
        return files[index - 1];
    }
};

struct FakeProject : VBProject {
    std::string name = "Project1";
    std::filesystem::path file;
    bool dirty = false;
    std::vector<FakeComponent> components;
    std::string Name() const override { return name; }
    std::filesystem::path FileName() const override { return file; }
    bool IsDirty() const override { return dirty; }
    int ComponentCount() const override { return static_cast<int>(components.size()); }
    VBComponent& Component(int index) override {
        if (index < 1 || index > ComponentCount())
            throw std::out_of_range("インデックスが有効範囲にありません。");
        return components[index - 1];
    }
};

class FakeVBE : public VBE {
public:
    explicit FakeVBE(FakeClipboard& clipboard)
        : standard(&clipboard, {"Open", "Save", "Run", "Object Browser"}),
          file(&clipboard, {"New Project"}) {
        addins.items.push_back(std::make_unique<FakeAddIn>("Other.Connect"));
    }

    FakeAddIns addins;
    FakeBar standard; // command bar 2
    FakeBar file;     // "File"
    std::optional<FakeProject> project;
    std::vector<std::shared_ptr<FakeWindow>> windows;
    std::vector<std::unique_ptr<QWidget>> documents;
    std::vector<std::tuple<std::string, std::string, std::string>> createdWith; // id, caption, guid
    std::vector<AddIn*> owners;
    std::vector<std::weak_ptr<VBProjectsEvents>> projectEvents;
    std::vector<std::pair<CommandBarControl*, std::weak_ptr<CommandBarEvents>>> barEvents;
    std::vector<std::pair<std::filesystem::path, bool>> opened;

    ToolWindow CreateToolWindow(AddIn& owner, std::string_view progId, std::string_view caption,
                                std::string_view guid) override {
        createdWith.emplace_back(progId, caption, guid);
        owners.push_back(&owner);
        auto w = std::make_shared<FakeWindow>();
        auto doc = CreateUserDocument(progId);
        if (!doc)
            throw std::runtime_error("ActiveX コンポーネントはオブジェクトを作成できません。");
        w->document = dynamic_cast<UserDocument*>(doc.get());
        documents.push_back(std::move(doc));
        windows.push_back(w);
        return {w, windows.back()->document};
    }
    AddIns& Addins() override { return addins; }
    std::shared_ptr<VBProjectsEvents> ProjectsEvents() override {
        auto e = std::make_shared<VBProjectsEvents>();
        projectEvents.push_back(e);
        return e;
    }
    std::shared_ptr<CommandBarEvents> CommandBarEventsFor(CommandBarControl& c) override {
        auto e = std::make_shared<CommandBarEvents>();
        barEvents.emplace_back(&c, e);
        return e;
    }
    CommandBar& CommandBars(int index) override {
        if (index != 2)
            throw std::out_of_range("インデックスが有効範囲にありません。");
        return standard;
    }
    CommandBar& CommandBars(std::string_view name) override {
        if (name != "File")
            throw std::out_of_range("インデックスが有効範囲にありません。");
        return file;
    }
    VBProject* ActiveVBProject() override { return project ? &*project : nullptr; }
    void OpenProject(const std::filesystem::path& p, bool exclusive) override {
        opened.emplace_back(p, exclusive);
    }

    // A click on a toolbar control, as the environment delivers it.
    void click(CommandBarControl& control) {
        for (auto& [c, weak] : barEvents)
            if (c == &control)
                if (auto e = weak.lock(); e && e->Click) {
                    bool handled = false, cancel = false;
                    e->Click(control, handled, cancel);
                }
    }
};

class FakeScreen : public Screen {
public:
    int width = 1024 * 15, height = 768 * 15, tppx = 15, tppy = 15, pointer = 0;
    std::vector<int> pointers; // every pointer set, in order
    int Width() const override { return width; }
    int Height() const override { return height; }
    int TwipsPerPixelX() const override { return tppx; }
    int TwipsPerPixelY() const override { return tppy; }
    int MousePointer() const override { return pointer; }
    void SetMousePointer(int p) override {
        pointer = p;
        pointers.push_back(p);
    }
};

class FakeSettings : public SettingsStore {
public:
    std::map<std::string, std::string> values; // "app|section|key"
    static std::string key(std::string_view a, std::string_view s, std::string_view k) {
        return std::string(a) + "|" + std::string(s) + "|" + std::string(k);
    }
    std::string GetSetting(std::string_view a, std::string_view s, std::string_view k,
                           std::string_view def) const override {
        auto at = values.find(key(a, s, k));
        return at == values.end() ? std::string(def) : at->second;
    }
    void SaveSetting(std::string_view a, std::string_view s, std::string_view k,
                     std::string_view v) override {
        values[key(a, s, k)] = v;
    }
};

// A registry whose content a test sets (nothing is installed until then).
struct SwitchableRegistry : gridmover::Registry {
    std::shared_ptr<const gridmover::Registry> inner;
    bool KeyExists(std::string_view key) const override { return inner && inner->KeyExists(key); }
};

// Everything a test needs, installed as the add-in's runtime for the test's lifetime.
struct Environment {
    FakeClipboard clipboard;
    FakeScreen screen;
    FakeSettings settings;
    ScriptedPrompts prompts;
    SwitchableRegistry registry;
    Runtime runtime{screen, settings, clipboard, prompts, registry};
    FakeVBE vbe{clipboard};
    FakeAddIn self{"GRIDMOVER.Connect"};

    Environment() { SetRuntime(&runtime); }
    ~Environment() {
        SetRuntime(nullptr);
        gToolWindow.reset();
        gDocMigration = nullptr;
        gVBInstance = nullptr;
    }
    FakeWindow& window() { return *vbe.windows.back(); }
};

} // namespace fake
