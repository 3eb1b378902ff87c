// Late-bound automation: every call looks the member up by name (GetIDsOfNames) and calls it
// through IDispatch::Invoke, the way a script drives Excel. Each wrapper holds one reference to
// its IDispatch and releases it when the last std::shared_ptr to the wrapper goes, so the caller
// decides the order in which references are released. Once Quit was called, every object of that
// application refuses further calls (errors::kObjectGone) instead of talking to a server that has
// gone.
#include "citylink/sheets/platform/win32/excel_automation.h"

#include "foundation/platform/win32/windows_include.h"

#include <ole2.h>
#include <oleauto.h>

#include <charconv>
#include <cmath>
#include <vector>

namespace sheets::win32 {
namespace {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string utf8(const wchar_t* text, std::size_t length) {
    if (length == 0)
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr,
                        nullptr);
    return out;
}

// A VARIANT that clears itself.
class Var {
public:
    Var() { VariantInit(&v); }
    explicit Var(std::string_view text) : Var() {
        std::wstring w = wide(text);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
        if (!v.bstrVal)
            throw std::bad_alloc();
    }
    explicit Var(long number) : Var() {
        v.vt = VT_I4;
        v.lVal = number;
    }
    explicit Var(bool flag) : Var() {
        v.vt = VT_BOOL;
        v.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    }
    ~Var() { VariantClear(&v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    Var(Var&& other) noexcept : Var() { std::swap(v, other.v); }

    VARIANT v;
};

// What a number reads as in the cell-value text form: "7", "1.5".
std::string numberText(double d) {
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15)
        return std::to_string(static_cast<long long>(d));
    char buffer[32];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, d);
    return std::string(buffer, r.ptr);
}

std::string textOf(const VARIANT& v) {
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return {};
    case VT_BSTR:
        return utf8(v.bstrVal, SysStringLen(v.bstrVal));
    case VT_R8:
        return numberText(v.dblVal);
    case VT_I4:
        return std::to_string(v.lVal);
    case VT_BOOL:
        return v.boolVal ? "True" : "False";
    default: {
        Var text;
        if (FAILED(VariantChangeType(&text.v, const_cast<VARIANT*>(&v), 0, VT_BSTR)))
            return {};
        return utf8(text.v.bstrVal, SysStringLen(text.v.bstrVal));
    }
    }
}

// The state every object of one application shares.
struct Session {
    bool gone = false; // Quit was called
};
using SessionPtr = std::shared_ptr<Session>;

// One IDispatch reference, released with the wrapper.
class Dispatch {
public:
    Dispatch(IDispatch* d, SessionPtr session) : d_(d), session_(std::move(session)) {}
    ~Dispatch() {
        if (d_)
            d_->Release();
    }
    Dispatch(const Dispatch&) = delete;
    Dispatch& operator=(const Dispatch&) = delete;

    const SessionPtr& session() const { return session_; }

    // Calls the member. args are in the order of the member's parameters.
    Var call(const wchar_t* name, WORD flags, std::vector<Var> args = {}) const {
        if (session_->gone)
            throw AutomationError(errnum::describe(errors::kObjectGone), errors::kObjectGone);
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        HRESULT hr = d_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr))
            fail(hr, nullptr, name);
        std::vector<VARIANT> reversed; // Invoke takes the arguments last to first
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            reversed.push_back(it->v);
        DISPID namedPut = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        if (flags & DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &namedPut;
            params.cNamedArgs = 1;
        }
        Var result;
        EXCEPINFO info{};
        UINT badArg = 0;
        hr = d_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                        (flags & DISPATCH_PROPERTYPUT) ? nullptr : &result.v, &info, &badArg);
        if (FAILED(hr))
            fail(hr, &info, name);
        return result;
    }

    IDispatch* object(const wchar_t* name, WORD flags, std::vector<Var> args = {}) const {
        Var r = call(name, flags, std::move(args));
        if (r.v.vt != VT_DISPATCH || !r.v.pdispVal)
            throw AutomationError(utf8(name, wcslen(name)) + " returned no object",
                                  errors::kApplicationDefined);
        IDispatch* d = r.v.pdispVal;
        d->AddRef(); // ours; the VARIANT's goes with it
        return d;
    }

private:
    [[noreturn]] static void fail(HRESULT hr, EXCEPINFO* info, const wchar_t* name) {
        std::string description;
        if (info) {
            if (info->pfnDeferredFillIn)
                info->pfnDeferredFillIn(info);
            if (info->bstrDescription)
                description = utf8(info->bstrDescription, SysStringLen(info->bstrDescription));
            SysFreeString(info->bstrDescription);
            SysFreeString(info->bstrSource);
            SysFreeString(info->bstrHelpFile);
        }
        long number = errors::kApplicationDefined;
        if (hr == DISP_E_BADINDEX)
            number = errors::kSubscriptOutOfRange;
        else if (hr == RPC_E_DISCONNECTED || hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
                 hr == RPC_E_SERVERFAULT)
            number = errors::kObjectGone;
        if (description.empty())
            description =
                std::string(errnum::describe(number)) + " (" + utf8(name, wcslen(name)) + ")";
        throw AutomationError(description, number);
    }

    IDispatch* d_;
    SessionPtr session_;
};

constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;
constexpr WORD kMethod = DISPATCH_METHOD;

long countOf(const Dispatch& d) {
    Var n = d.call(L"Count", kGet);
    Var asLong;
    if (FAILED(VariantChangeType(&asLong.v, &n.v, 0, VT_I4)))
        throw AutomationError("Count is no number", errors::kApplicationDefined);
    return asLong.v.lVal;
}

class ExcelRange final : public Range {
public:
    ExcelRange(IDispatch* d, SessionPtr s) : d_(d, std::move(s)) {}

    std::string Address() const override {
        // Address(RowAbsolute:=False, ColumnAbsolute:=False): "X6", not "$X$6".
        std::vector<Var> args;
        args.emplace_back(false);
        args.emplace_back(false);
        return textOf(d_.call(L"Address", kGet, std::move(args)).v);
    }
    RangePtr Offset(int rows, int cols) override {
        std::vector<Var> args;
        args.emplace_back(static_cast<long>(rows));
        args.emplace_back(static_cast<long>(cols));
        return wrap(d_.object(L"Offset", kGet, std::move(args)));
    }
    void setValue(std::string_view text) override {
        std::vector<Var> args;
        args.emplace_back(text);
        d_.call(L"Value", kPut, std::move(args));
    }
    void setValues(const Block& block) override {
        const long rows = static_cast<long>(block.size());
        const long cols = rows ? static_cast<long>(block[0].size()) : 0;
        for (const auto& row : block)
            if (static_cast<long>(row.size()) != cols)
                throw AutomationError("the block's rows differ in length",
                                      errors::kApplicationDefined);
        Dispatch rowsOf(d_.object(L"Rows", kGet), d_.session());
        Dispatch colsOf(d_.object(L"Columns", kGet), d_.session());
        if (rows == 0 || countOf(rowsOf) != rows || countOf(colsOf) != cols)
            throw AutomationError("the block does not fit the range", errors::kApplicationDefined);
        // One assignment of a rows x columns array of VARIANT texts, 1-based like Excel's own.
        SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows), 1}, {static_cast<ULONG>(cols), 1}};
        SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
        if (!array)
            throw std::bad_alloc();
        Var value;
        value.v.vt = VT_ARRAY | VT_VARIANT;
        value.v.parray = array; // cleared (and destroyed) with value
        for (long r = 0; r < rows; ++r) {
            for (long c = 0; c < cols; ++c) {
                Var cell(block[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
                LONG index[2] = {r + 1, c + 1};
                if (FAILED(SafeArrayPutElement(array, index, &cell.v))) // copies the cell
                    throw std::bad_alloc();
            }
        }
        std::vector<Var> args;
        args.push_back(std::move(value));
        d_.call(L"Value", kPut, std::move(args));
    }
    std::string Value() const override {
        std::vector<Var> args;
        args.emplace_back(1L);
        args.emplace_back(1L);
        Dispatch cell(d_.object(L"Item", kGet, std::move(args)), d_.session());
        return textOf(cell.call(L"Value", kGet).v);
    }

    RangePtr wrap(IDispatch* d) const { return std::make_shared<ExcelRange>(d, d_.session()); }

private:
    Dispatch d_;
};

class ExcelWorksheet final : public Worksheet {
public:
    ExcelWorksheet(IDispatch* d, SessionPtr s) : d_(d, std::move(s)) {}
    std::string Name() const override { return textOf(d_.call(L"Name", kGet).v); }
    RangePtr Range(std::string_view a1) override {
        std::vector<Var> args;
        args.emplace_back(a1);
        return std::make_shared<ExcelRange>(d_.object(L"Range", kGet, std::move(args)),
                                            d_.session());
    }
    RangePtr UsedRange() override {
        return std::make_shared<ExcelRange>(d_.object(L"UsedRange", kGet), d_.session());
    }

private:
    Dispatch d_;
};

class ExcelWorksheets final : public Worksheets {
public:
    ExcelWorksheets(IDispatch* d, SessionPtr s) : d_(d, std::move(s)) {}
    int Count() const override { return static_cast<int>(countOf(d_)); }
    WorksheetPtr Item(std::string_view name) override {
        std::vector<Var> args;
        args.emplace_back(name);
        return std::make_shared<ExcelWorksheet>(d_.object(L"Item", kGet | kMethod, std::move(args)),
                                                d_.session());
    }

private:
    Dispatch d_;
};

class ExcelWorkbook final : public Workbook {
public:
    ExcelWorkbook(IDispatch* d, SessionPtr s) : d_(d, std::move(s)) {}
    std::string Name() const override { return textOf(d_.call(L"Name", kGet).v); }
    std::string FullName() const override { return textOf(d_.call(L"FullName", kGet).v); }
    WorksheetsPtr Worksheets() override {
        return std::make_shared<ExcelWorksheets>(d_.object(L"Worksheets", kGet), d_.session());
    }

private:
    Dispatch d_;
};

class ExcelWorkbooks final : public Workbooks {
public:
    ExcelWorkbooks(IDispatch* d, SessionPtr s) : d_(d, std::move(s)) {}
    int Count() const override { return static_cast<int>(countOf(d_)); }
    WorkbookPtr Open(std::string_view path) override {
        std::vector<Var> args;
        args.emplace_back(path);
        return std::make_shared<ExcelWorkbook>(d_.object(L"Open", kMethod, std::move(args)),
                                               d_.session());
    }

private:
    Dispatch d_;
};

class ExcelApplication final : public Application {
public:
    ExcelApplication(IDispatch* d, SessionPtr s) : d_(d, std::move(s)) {}
    WorkbooksPtr Workbooks() override {
        return std::make_shared<ExcelWorkbooks>(d_.object(L"Workbooks", kGet), d_.session());
    }
    bool Visible() const override {
        Var v = d_.call(L"Visible", kGet);
        return v.v.vt == VT_BOOL && v.v.boolVal != VARIANT_FALSE;
    }
    void setVisible(bool visible) override {
        std::vector<Var> args;
        args.emplace_back(visible);
        d_.call(L"Visible", kPut, std::move(args));
    }
    void Quit() override {
        d_.call(L"Quit", kMethod);
        d_.session()->gone = true;
    }

private:
    Dispatch d_;
};

} // namespace

ApplicationPtr WrapAutomationApplication(IDispatch* application) {
    application->AddRef();
    return std::make_shared<ExcelApplication>(application, std::make_shared<Session>());
}

namespace {

// S_FALSE (already initialized here) is fine; a thread of the other model is too, as COM
// marshals the calls.
void initializeCom() {
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)init;
}

bool classOf(std::string_view progId, CLSID& clsid) {
    initializeCom();
    std::wstring id = wide(progId);
    return SUCCEEDED(CLSIDFromProgID(id.c_str(), &clsid));
}

} // namespace

bool ProgIdRegistered(std::string_view progId) {
    CLSID clsid;
    return classOf(progId, clsid);
}

ApplicationPtr CreateAutomationApplication(std::string_view progId) {
    CLSID clsid;
    if (!classOf(progId, clsid))
        throw AutomationError(errnum::describe(errors::kCannotCreateObject),
                              errors::kCannotCreateObject);
    IDispatch* app = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER,
                                IID_IDispatch, reinterpret_cast<void**>(&app))) ||
        !app)
        throw AutomationError(errnum::describe(errors::kCannotCreateObject),
                              errors::kCannotCreateObject);
    auto wrapped = std::make_shared<ExcelApplication>(app, std::make_shared<Session>());
    wrapped->setVisible(false); // a new instance works unseen until the run hands it over
    return wrapped;
}

} // namespace sheets::win32
