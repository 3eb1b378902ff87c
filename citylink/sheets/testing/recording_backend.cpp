#include "citylink/sheets/testing/recording_backend.h"

#include "citylink/sheets/a1.h"

#include <algorithm>

namespace sheets::doubles {

namespace {

using Backend = std::shared_ptr<RecordingBackend>;

// Every object keeps the double alive and tells it when its last reference goes.
class Tracked {
public:
    Tracked(Backend backend, std::string kind)
        : backend_(std::move(backend)), kind_(std::move(kind)) {
        backend_->objectCreated();
    }
    ~Tracked() { backend_->objectReleased(kind_); }
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;

protected:
    // Records the call; after Quit every call fails as on a server that has gone away.
    void call(std::string text) const {
        backend_->record(std::move(text));
        if (backend_->quitCalled())
            throw AutomationError("アプリケーションは終了しています", errors::kObjectGone);
    }
    Backend backend_;

private:
    std::string kind_;
};

class FakeRange : public Range {
public:
    FakeRange(Backend backend, std::string path, std::string sheet, RangeRef ref)
        : backend_(std::move(backend)), path_(std::move(path)), sheet_(std::move(sheet)),
          ref_(ref) {}

    std::string Address() const override { return RangeAddress(ref_); }

    RangePtr Offset(int rows, int cols) override {
        record("Range(" + Address() + ").Offset(" + std::to_string(rows) + "," +
               std::to_string(cols) + ")");
        RangeRef moved = ref_;
        moved.first.row += rows;
        moved.last.row += rows;
        moved.first.col += cols;
        moved.last.col += cols;
        if (moved.first.row < 1 || moved.first.col < 1 || moved.last.row > kMaxRow ||
            moved.last.col > kMaxColumn)
            throw AutomationError("範囲がシートの外に出ます", errors::kApplicationDefined);
        return std::make_shared<FakeRange>(backend_, path_, sheet_, moved);
    }

    void setValue(std::string_view text) override {
        record("Range(" + Address() + ").Value=" + std::string(text));
        auto& cells = backend_->book(path_).cells[sheet_];
        for (int r = ref_.first.row; r <= ref_.last.row; ++r)
            for (int c = ref_.first.col; c <= ref_.last.col; ++c)
                cells[CellAddress({r, c})] = std::string(text);
        growUsedRange();
    }

    void setValues(const Block& block) override {
        std::size_t columns = block.empty() ? 0 : block.front().size();
        record("Range(" + Address() + ").Value=<" + std::to_string(block.size()) + "x" +
               std::to_string(columns) + " block>");
        bool fits = block.size() == static_cast<std::size_t>(ref_.rows());
        for (const auto& row : block)
            fits = fits && row.size() == static_cast<std::size_t>(ref_.cols());
        if (!fits)
            throw AutomationError("値の配列の大きさが範囲と一致しません",
                                  errors::kApplicationDefined);
        auto& cells = backend_->book(path_).cells[sheet_];
        for (int r = 0; r < ref_.rows(); ++r)
            for (int c = 0; c < ref_.cols(); ++c)
                cells[CellAddress({ref_.first.row + r, ref_.first.col + c})] = block[r][c];
        growUsedRange();
    }

    std::string Value() const override {
        return backend_->cell(path_, sheet_, CellAddress(ref_.first));
    }

private:
    // A sheet given a used area takes the written cells into it, as a spreadsheet does.
    void growUsedRange() {
        auto& used = backend_->book(path_).usedRanges;
        auto it = used.find(sheet_);
        if (it == used.end())
            return;
        RangeRef area = *ParseRange(it->second);
        area.first.row = std::min(area.first.row, ref_.first.row);
        area.first.col = std::min(area.first.col, ref_.first.col);
        area.last.row = std::max(area.last.row, ref_.last.row);
        area.last.col = std::max(area.last.col, ref_.last.col);
        it->second = RangeAddress(area);
    }

    void record(std::string text) const {
        backend_->record(std::move(text));
        if (backend_->quitCalled())
            throw AutomationError("アプリケーションは終了しています", errors::kObjectGone);
    }
    Backend backend_;
    std::string path_;
    std::string sheet_;
    RangeRef ref_;
};

class FakeWorksheet : public Worksheet, Tracked {
public:
    FakeWorksheet(Backend backend, std::string path, std::string name)
        : Tracked(std::move(backend), "Worksheet"), path_(std::move(path)), name_(std::move(name)) {
    }
    std::string Name() const override { return name_; }
    RangePtr Range(std::string_view a1) override {
        call("Range(" + std::string(a1) + ")");
        auto ref = ParseRange(a1);
        if (!ref)
            throw AutomationError("アドレスが正しくありません: " + std::string(a1),
                                  errors::kApplicationDefined);
        return std::make_shared<FakeRange>(backend_, path_, name_, *ref);
    }
    RangePtr UsedRange() override {
        const auto& used = backend_->book(path_).usedRanges;
        auto it = used.find(name_);
        if (it == used.end())
            return nullptr;
        return std::make_shared<FakeRange>(backend_, path_, name_, *ParseRange(it->second));
    }

private:
    std::string path_;
    std::string name_;
};

// Letter case ignored for ASCII, enough for the names tests use.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

class FakeWorksheets : public Worksheets, Tracked {
public:
    FakeWorksheets(Backend backend, std::string path)
        : Tracked(std::move(backend), "Worksheets"), path_(std::move(path)) {}
    int Count() const override {
        call("Worksheets.Count");
        return static_cast<int>(backend_->book(path_).sheets.size());
    }
    WorksheetPtr Item(std::string_view name) override {
        call("Worksheets(" + std::string(name) + ")");
        for (const auto& sheet : backend_->book(path_).sheets)
            if (sameName(sheet, name))
                return std::make_shared<FakeWorksheet>(backend_, path_, sheet);
        throw AutomationError("インデックスが有効範囲にありません", errors::kSubscriptOutOfRange);
    }

private:
    std::string path_;
};

class FakeWorkbook : public Workbook, Tracked {
public:
    FakeWorkbook(Backend backend, std::string path)
        : Tracked(std::move(backend), "Workbook"), path_(std::move(path)) {}
    std::string Name() const override {
        auto slash = path_.find_last_of("/\\");
        return slash == std::string::npos ? path_ : path_.substr(slash + 1);
    }
    std::string FullName() const override { return path_; }
    WorksheetsPtr Worksheets() override {
        call("Worksheets");
        return std::make_shared<FakeWorksheets>(backend_, path_);
    }

private:
    std::string path_;
};

class FakeWorkbooks : public Workbooks, Tracked {
public:
    explicit FakeWorkbooks(Backend backend) : Tracked(std::move(backend), "Workbooks") {}
    int Count() const override {
        call("Workbooks.Count");
        return backend_->otherWorkbooks + opened_;
    }
    WorkbookPtr Open(std::string_view path) override {
        call("Open(" + std::string(path) + ")");
        auto& book = backend_->book(std::string(path));
        if (book.openError)
            throw AutomationError(book.openError->first, book.openError->second);
        backend_->lastOpened = std::string(path);
        ++opened_;
        return std::make_shared<FakeWorkbook>(backend_, std::string(path));
    }

private:
    int opened_ = 0;
};

class FakeApplication : public Application, Tracked {
public:
    explicit FakeApplication(Backend backend) : Tracked(std::move(backend), "Application") {}
    WorkbooksPtr Workbooks() override {
        call("Workbooks");
        if (!workbooks_)
            workbooks_ = std::make_shared<FakeWorkbooks>(backend_);
        return workbooks_;
    }
    bool Visible() const override { return backend_->visible(); }
    void setVisible(bool visible) override {
        call(visible ? "Visible=true" : "Visible=false");
        backend_->setVisible(visible);
    }
    void Quit() override {
        call("Quit");
        backend_->setQuit();
    }

private:
    // The one collection of the application: its open count survives the run's references.
    std::shared_ptr<FakeWorkbooks> workbooks_;
};

} // namespace

void RecordingBackend::setSheets(std::string path, std::vector<std::string> sheets) {
    books_[std::move(path)].sheets = std::move(sheets);
}

void RecordingBackend::failOpen(std::string path, std::string description, long number) {
    book(path).openError = std::make_pair(std::move(description), number);
}

void RecordingBackend::failOn(std::string callPrefix, std::string description, long number) {
    failures_.emplace_back(std::move(callPrefix), std::make_pair(std::move(description), number));
}

void RecordingBackend::registerIn(BackendRegistry& registry) {
    for (const auto& id : progIds) {
        Backend self = shared_from_this();
        registry.Register(id, [self, id] { return self->createApplication(id); });
    }
}

ApplicationPtr RecordingBackend::createApplication(std::string_view progId) {
    record("CreateObject(" + std::string(progId) + ")");
    ++applicationsCreated_;
    quit_ = false;
    visible_ = false;
    return std::make_shared<FakeApplication>(shared_from_this());
}

std::vector<std::string>
RecordingBackend::callsWithout(const std::vector<std::string>& prefixes) const {
    std::vector<std::string> kept;
    for (const auto& c : calls_) {
        bool drop = false;
        for (const auto& p : prefixes)
            drop = drop || c.starts_with(p);
        if (!drop)
            kept.push_back(c);
    }
    return kept;
}

std::string RecordingBackend::cell(std::string_view sheet, std::string_view a1) const {
    return cell(lastOpened, sheet, a1);
}

std::string RecordingBackend::cell(std::string_view path, std::string_view sheet,
                                   std::string_view a1) const {
    const Book* b = findBook(path);
    if (!b)
        return {};
    auto s = b->cells.find(std::string(sheet));
    if (s == b->cells.end())
        return {};
    auto ref = ParseCell(a1);
    auto c = s->second.find(ref ? CellAddress(*ref) : std::string(a1));
    return c == s->second.end() ? std::string() : c->second;
}

std::map<std::string, std::string> RecordingBackend::writtenCells(std::string_view sheet) const {
    const Book* b = findBook(lastOpened);
    if (!b)
        return {};
    auto s = b->cells.find(std::string(sheet));
    return s == b->cells.end() ? std::map<std::string, std::string>() : s->second;
}

void RecordingBackend::record(std::string call) {
    calls_.push_back(call);
    for (const auto& [prefix, error] : failures_)
        if (call.starts_with(prefix))
            throw AutomationError(error.first, error.second);
}

void RecordingBackend::objectReleased(std::string_view kind) {
    --live_;
    calls_.push_back("Release " + std::string(kind));
}

RecordingBackend::Book& RecordingBackend::book(const std::string& path) {
    // A book first named by a call has the default sheets; try_emplace leaves a known one alone.
    return books_.try_emplace(path, Book{defaultSheets, std::nullopt, {}, {}}).first->second;
}

const RecordingBackend::Book* RecordingBackend::findBook(std::string_view path) const {
    auto it = books_.find(path);
    return it == books_.end() ? nullptr : &it->second;
}

} // namespace sheets::doubles
