#include "citylink/sheets/embedded_engine.h"

#include "citylink/sheets/a1.h"
#include "citylink/sheets/xlsx/cell_text.h"
#include "citylink/sheets/xlsx/workbook_file.h"
#include "foundation/utf8_path.h"

#include <exception>
#include <system_error>

namespace sheets {

namespace {

namespace fs = std::filesystem;

using utf8::fromPath;

struct Book {
    explicit Book(const fs::path& file) : file(file) {}
    xlsx::WorkbookFile file;
    std::optional<fs::path> savedAs; // the filled copy, once saved
    bool unsaved = true;             // edits (or the opening itself) not yet in a saved copy
};

struct AppState {
    EmbeddedEngineOptions options;
    std::vector<std::shared_ptr<Book>> books;
    bool visible = false;
    bool quit = false;

    void check() const {
        if (quit)
            throw AutomationError("アプリケーションは終了しています", errors::kObjectGone);
    }
    void checkBook(const std::shared_ptr<Book>& book) const {
        check();
        for (const auto& b : books)
            if (b == book)
                return;
        throw AutomationError("ブックは閉じられています", errors::kObjectGone);
    }
};

using State = std::shared_ptr<AppState>;

class EngineRange : public Range {
public:
    EngineRange(State app, std::shared_ptr<Book> book, int sheet, RangeRef ref)
        : app_(std::move(app)), book_(std::move(book)), sheet_(sheet), ref_(ref) {}

    std::string Address() const override { return RangeAddress(ref_); }

    RangePtr Offset(int rows, int cols) override {
        app_->checkBook(book_);
        long long top = static_cast<long long>(ref_.first.row) + rows;
        long long left = static_cast<long long>(ref_.first.col) + cols;
        long long bottom = static_cast<long long>(ref_.last.row) + rows;
        long long right = static_cast<long long>(ref_.last.col) + cols;
        if (top < 1 || left < 1 || bottom > kMaxRow || right > kMaxColumn)
            throw AutomationError("範囲がシートの外に出ます: " + Address(),
                                  errors::kApplicationDefined);
        RangeRef moved{{static_cast<int>(top), static_cast<int>(left)},
                       {static_cast<int>(bottom), static_cast<int>(right)}};
        return std::make_shared<EngineRange>(app_, book_, sheet_, moved);
    }

    void setValue(std::string_view text) override {
        app_->checkBook(book_);
        if (static_cast<long long>(ref_.rows()) * ref_.cols() > 1'000'000)
            throw AutomationError("範囲が大きすぎて記入できません: " + Address(),
                                  errors::kApplicationDefined);
        if (ref_.rows() == 1 && ref_.cols() == 1) {
            // One cell (a child's name or birth date): no block to build for it.
            book_->file.writeCell(sheet_, ref_.first, text);
            book_->unsaved = true;
            return;
        }
        Block block(
            static_cast<std::size_t>(ref_.rows()),
            std::vector<std::string>(static_cast<std::size_t>(ref_.cols()), std::string(text)));
        write(block);
    }

    void setValues(const Block& block) override {
        app_->checkBook(book_);
        bool fits = block.size() == static_cast<std::size_t>(ref_.rows());
        for (const auto& row : block)
            fits = fits && row.size() == static_cast<std::size_t>(ref_.cols());
        if (!fits)
            throw AutomationError("値の配列の大きさが範囲と一致しません: " + Address(),
                                  errors::kApplicationDefined);
        write(block);
    }

    std::string Value() const override {
        app_->checkBook(book_);
        return book_->file.read(sheet_, ref_.first);
    }

private:
    void write(const Block& block) {
        book_->file.write(sheet_, ref_.first, block);
        book_->unsaved = true;
    }

    State app_;
    std::shared_ptr<Book> book_;
    int sheet_;
    RangeRef ref_;
};

class EngineWorksheet : public Worksheet {
public:
    EngineWorksheet(State app, std::shared_ptr<Book> book, int sheet)
        : app_(std::move(app)), book_(std::move(book)), sheet_(sheet) {}
    std::string Name() const override {
        return book_->file.sheets()[static_cast<std::size_t>(sheet_)].name;
    }
    RangePtr Range(std::string_view a1) override {
        app_->checkBook(book_);
        auto ref = ParseRange(a1);
        if (!ref)
            throw AutomationError("アドレスが正しくありません: " + std::string(a1),
                                  errors::kApplicationDefined);
        return std::make_shared<EngineRange>(app_, book_, sheet_, *ref);
    }
    RangePtr UsedRange() override {
        app_->checkBook(book_);
        auto area = book_->file.usedArea(sheet_);
        if (!area)
            return nullptr;
        return std::make_shared<EngineRange>(app_, book_, sheet_, *area);
    }

private:
    State app_;
    std::shared_ptr<Book> book_;
    int sheet_;
};

class EngineWorksheets : public Worksheets {
public:
    EngineWorksheets(State app, std::shared_ptr<Book> book)
        : app_(std::move(app)), book_(std::move(book)) {}
    int Count() const override {
        app_->checkBook(book_);
        return static_cast<int>(book_->file.sheets().size());
    }
    WorksheetPtr Item(std::string_view name) override {
        app_->checkBook(book_);
        int index = book_->file.find(name);
        if (index < 0)
            throw AutomationError("インデックスが有効範囲にありません: シート " + std::string(name),
                                  errors::kSubscriptOutOfRange);
        return std::make_shared<EngineWorksheet>(app_, book_, index);
    }

private:
    State app_;
    std::shared_ptr<Book> book_;
};

class EngineWorkbook : public Workbook {
public:
    EngineWorkbook(State app, std::shared_ptr<Book> book)
        : app_(std::move(app)), book_(std::move(book)) {}
    std::string Name() const override { return fromPath(book_->file.path().filename()); }
    std::string FullName() const override { return fromPath(book_->file.path()); }
    WorksheetsPtr Worksheets() override {
        app_->checkBook(book_);
        return std::make_shared<EngineWorksheets>(app_, book_);
    }

private:
    State app_;
    std::shared_ptr<Book> book_;
};

class EngineWorkbooks : public Workbooks {
public:
    explicit EngineWorkbooks(State app) : app_(std::move(app)) {}
    int Count() const override {
        app_->check();
        return static_cast<int>(app_->books.size());
    }
    WorkbookPtr Open(std::string_view path) override {
        app_->check();
        fs::path file = utf8::toPath(path);
        std::error_code ec;
        for (const auto& b : app_->books) {
            // The same file again is the workbook already open, as in a spreadsheet application;
            // another file of the same name cannot be open beside it.
            if (fs::equivalent(b->file.path(), file, ec))
                return std::make_shared<EngineWorkbook>(app_, b);
            if (xlsx::SameSheetName(fromPath(b->file.path().filename()), fromPath(file.filename())))
                throw AutomationError("同じ名前のブックが既に開いています: " +
                                          fromPath(file.filename()),
                                      errors::kApplicationDefined);
        }
        auto book = std::make_shared<Book>(file);
        app_->books.push_back(book);
        return std::make_shared<EngineWorkbook>(app_, book);
    }

private:
    State app_;
};

class EngineApplication : public Application {
public:
    explicit EngineApplication(EmbeddedEngineOptions options) : app_(std::make_shared<AppState>()) {
        app_->options = std::move(options);
    }
    WorkbooksPtr Workbooks() override {
        app_->check();
        return std::make_shared<EngineWorkbooks>(app_);
    }
    bool Visible() const override { return app_->visible; }
    void setVisible(bool visible) override {
        app_->check();
        if (visible)
            handOver();
        app_->visible = visible;
    }
    void Quit() override {
        app_->check();
        app_->books.clear();
        app_->quit = true;
        app_->visible = false;
    }

private:
    // The user gets each workbook as a file of its own: saved beside the original, then opened.
    void handOver() {
        for (const auto& book : app_->books) {
            if (!book->unsaved)
                continue;
            fs::path out;
            if (book->savedAs) {
                out = *book->savedAs;
            } else {
                out = app_->options.outputPath ? app_->options.outputPath(book->file.path())
                                               : FilledWorkbookPath(book->file.path());
                std::error_code ec;
                if (out.empty() || fs::equivalent(out, book->file.path(), ec) ||
                    out.lexically_normal() == book->file.path().lexically_normal())
                    throw AutomationError("開いたファイルには上書き保存しません: " +
                                              fromPath(book->file.path()),
                                          errors::kApplicationDefined);
            }
            book->file.saveAs(out);
            book->savedAs = out;
            book->unsaved = false;
            if (app_->options.opener) {
                try {
                    app_->options.opener(out);
                } catch (const std::exception& e) {
                    // The file is saved; the log must still say where it is.
                    throw AutomationError("記入済みのブックは " + fromPath(out) +
                                              " に保存しましたが、開けません: " + e.what(),
                                          errors::kApplicationDefined);
                }
            }
        }
    }

    State app_;
};

} // namespace

std::u8string FilledCopyBase(std::u8string_view stem) {
    // "<base>_記入済" or "<base>_記入済 (n)": a copy this engine saved.
    static constexpr std::u8string_view kMark = u8"_記入済";
    std::u8string_view rest = stem;
    if (rest.ends_with(u8")")) {
        std::size_t open = rest.rfind(u8" (");
        if (open != std::u8string_view::npos && open + 2 < rest.size() - 1) {
            std::u8string_view digits = rest.substr(open + 2, rest.size() - open - 3);
            bool number = digits.size() <= 4 &&
                          digits.find_first_not_of(u8"0123456789") == std::u8string_view::npos;
            if (number)
                rest = rest.substr(0, open);
        }
    }
    if (rest.ends_with(kMark) && rest.size() > kMark.size())
        return std::u8string(rest.substr(0, rest.size() - kMark.size()));
    return std::u8string(stem);
}

std::filesystem::path FilledWorkbookPath(const std::filesystem::path& original) {
    const fs::path folder = original.parent_path();
    // A run on a filled copy names its result after the clerk's workbook, not after the copy:
    // "<name>_記入済 (2)", never "<name>_記入済_記入済".
    const std::u8string stem = FilledCopyBase(original.stem().u8string()) + u8"_記入済";
    const std::u8string ext = original.extension().u8string();
    for (int n = 1; n < 10000; ++n) {
        std::u8string name = stem;
        if (n > 1) {
            std::string number = " (" + std::to_string(n) + ")";
            name += std::u8string(number.begin(), number.end());
        }
        fs::path candidate = folder / fs::path(name + ext);
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec)))
            return candidate;
    }
    throw AutomationError("記入済みのブックに付けられる名前がありません: " + fromPath(original),
                          errors::kApplicationDefined);
}

ApplicationPtr CreateEmbeddedApplication(EmbeddedEngineOptions options) {
    return std::make_shared<EngineApplication>(std::move(options));
}

void RegisterEmbeddedEngine(BackendRegistry& registry, EmbeddedEngineOptions options,
                            std::string progId) {
    registry.Register(std::move(progId), [options] { return CreateEmbeddedApplication(options); });
}

} // namespace sheets
