#pragma once
// A spreadsheet application of our own behind IDispatch: it records every late-bound call and
// every final release, and keeps the cells it is given. No Excel runs on the build machines.
#include "foundation/platform/win32/windows_include.h"

#include <ole2.h>
#include <oleauto.h>

#include <algorithm>
#include <cwctype>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring bstr(const VARIANT& v) {
    return v.vt == VT_BSTR ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : std::wstring();
}

void putText(VARIANT* out, const std::wstring& text) {
    out->vt = VT_BSTR;
    out->bstrVal = SysAllocString(text.c_str());
}

std::string columnName(int c) {
    std::string s;
    for (; c > 0; c = (c - 1) / 26)
        s.insert(s.begin(), static_cast<char>('A' + (c - 1) % 26));
    return s;
}

// What the fake application saw, in order: "Range(B2:D3)", "Value=[2x3]", "release Worksheet".
struct World {
    std::vector<std::string> log;
    std::map<std::string, std::map<std::pair<int, int>, std::wstring>> cells; // sheet -> cells
    int live = 0;                                                             // fake objects alive
    bool visible = true;
};

// One fake object: members by name, each answering an Invoke.
class Fake : public IDispatch {
public:
    using Member = std::function<HRESULT(WORD flags, DISPPARAMS*, VARIANT* result)>;
    Fake(World& world, std::string kind) : world_(world), kind_(std::move(kind)) { ++world_.live; }
    virtual ~Fake() { --world_.live; }

    void member(const std::wstring& name, Member m) { members_.emplace_back(name, std::move(m)); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG n = --refs_;
        if (n == 0) {
            world_.log.push_back("release " + kind_);
            delete this;
        }
        return n;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (std::size_t m = 0; m < members_.size(); ++m)
                if (_wcsicmp(members_[m].first.c_str(), names[i]) == 0)
                    ids[i] = static_cast<DISPID>(m + 1);
            if (ids[i] == DISPID_UNKNOWN)
                return DISP_E_UNKNOWNNAME;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id < 1 || static_cast<std::size_t>(id) > members_.size())
            return DISP_E_MEMBERNOTFOUND;
        if (result)
            VariantInit(result);
        return members_[static_cast<std::size_t>(id - 1)].second(flags, params, result);
    }

protected:
    World& world_;

private:
    std::string kind_;
    ULONG refs_ = 1;
    std::vector<std::pair<std::wstring, Member>> members_;
};

// Arguments arrive last to first.
const VARIANT& arg(DISPPARAMS* p, UINT i) {
    return p->rgvarg[p->cArgs - 1 - i];
}

void returnObject(VARIANT* result, Fake* object) {
    result->vt = VT_DISPATCH;
    result->pdispVal = object; // the caller owns the new object's one reference
}

void returnLong(VARIANT* result, long n) {
    result->vt = VT_I4;
    result->lVal = n;
}

Fake* newCount(World& w, long n) {
    auto* c = new Fake(w, "Count");
    c->member(L"Count", [n](WORD, DISPPARAMS*, VARIANT* r) {
        returnLong(r, n);
        return S_OK;
    });
    return c;
}

Fake* newRange(World& w, const std::string& sheet, int r1, int c1, int r2, int c2) {
    auto* range = new Fake(w, "Range");
    range->member(L"Address", [=](WORD, DISPPARAMS*, VARIANT* r) {
        std::string a = columnName(c1) + std::to_string(r1);
        if (r2 != r1 || c2 != c1)
            a += ":" + columnName(c2) + std::to_string(r2);
        putText(r, std::wstring(a.begin(), a.end()));
        return S_OK;
    });
    range->member(L"Offset", [=, &w](WORD, DISPPARAMS* p, VARIANT* r) {
        int dr = arg(p, 0).lVal, dc = arg(p, 1).lVal;
        w.log.push_back("Offset(" + std::to_string(dr) + "," + std::to_string(dc) + ")");
        returnObject(r, newRange(w, sheet, r1 + dr, c1 + dc, r2 + dr, c2 + dc));
        return S_OK;
    });
    range->member(L"Rows", [=, &w](WORD, DISPPARAMS*, VARIANT* r) {
        returnObject(r, newCount(w, r2 - r1 + 1));
        return S_OK;
    });
    range->member(L"Columns", [=, &w](WORD, DISPPARAMS*, VARIANT* r) {
        returnObject(r, newCount(w, c2 - c1 + 1));
        return S_OK;
    });
    range->member(L"Item", [=, &w](WORD, DISPPARAMS* p, VARIANT* r) {
        int row = r1 + arg(p, 0).lVal - 1, col = c1 + arg(p, 1).lVal - 1;
        returnObject(r, newRange(w, sheet, row, col, row, col));
        return S_OK;
    });
    range->member(L"Value", [=, &w](WORD flags, DISPPARAMS* p, VARIANT* r) {
        auto& cells = w.cells[sheet];
        if (flags & DISPATCH_PROPERTYGET) {
            auto it = cells.find({r1, c1});
            if (it != cells.end())
                putText(r, it->second);
            return S_OK;
        }
        const VARIANT& v = arg(p, 0);
        if (v.vt == VT_BSTR) {
            w.log.push_back("Value=" + utf8(bstr(v)));
            for (int row = r1; row <= r2; ++row)
                for (int col = c1; col <= c2; ++col)
                    cells[{row, col}] = bstr(v);
            return S_OK;
        }
        if (v.vt != (VT_ARRAY | VT_VARIANT) || SafeArrayGetDim(v.parray) != 2)
            return DISP_E_TYPEMISMATCH;
        LONG lr, ur, lc, uc;
        SafeArrayGetLBound(v.parray, 1, &lr);
        SafeArrayGetUBound(v.parray, 1, &ur);
        SafeArrayGetLBound(v.parray, 2, &lc);
        SafeArrayGetUBound(v.parray, 2, &uc);
        w.log.push_back("Value=[" + std::to_string(ur - lr + 1) + "x" +
                        std::to_string(uc - lc + 1) + " from " + std::to_string(lr) + "," +
                        std::to_string(lc) + "]");
        for (LONG row = lr; row <= ur; ++row) {
            for (LONG col = lc; col <= uc; ++col) {
                LONG index[2] = {row, col};
                VARIANT cell;
                VariantInit(&cell);
                SafeArrayGetElement(v.parray, index, &cell);
                cells[{r1 + row - lr, c1 + col - lc}] = bstr(cell);
                VariantClear(&cell);
            }
        }
        return S_OK;
    });
    return range;
}

// "B2" or "B2:D3" into rows and columns.
bool parseA1(std::wstring a, int& r1, int& c1, int& r2, int& c2) {
    auto one = [](const std::wstring& s, int& r, int& c) {
        std::size_t i = 0;
        c = 0;
        while (i < s.size() && std::iswalpha(s[i]))
            c = c * 26 + (std::towupper(s[i++]) - L'A' + 1);
        r = 0;
        for (; i < s.size() && std::iswdigit(s[i]); ++i)
            r = r * 10 + (s[i] - L'0');
        return c > 0 && r > 0 && i == s.size();
    };
    auto colon = a.find(L':');
    if (colon == std::wstring::npos) {
        bool ok = one(a, r1, c1);
        r2 = r1;
        c2 = c1;
        return ok;
    }
    return one(a.substr(0, colon), r1, c1) && one(a.substr(colon + 1), r2, c2);
}

Fake* newSheet(World& w, const std::string& name) {
    auto* sheet = new Fake(w, "Worksheet");
    sheet->member(L"Name", [name](WORD, DISPPARAMS*, VARIANT* r) {
        putText(r, std::wstring(name.begin(), name.end()));
        return S_OK;
    });
    sheet->member(L"Range", [=, &w](WORD, DISPPARAMS* p, VARIANT* r) {
        std::wstring a = bstr(arg(p, 0));
        w.log.push_back("Range(" + utf8(a) + ")");
        int r1, c1, r2, c2;
        if (!parseA1(a, r1, c1, r2, c2))
            return DISP_E_EXCEPTION;
        returnObject(r, newRange(w, name, r1, c1, r2, c2));
        return S_OK;
    });
    return sheet;
}

Fake* newApplication(World& w) {
    auto* app = new Fake(w, "Application");
    app->member(L"Visible", [&w](WORD flags, DISPPARAMS* p, VARIANT* r) {
        if (flags & DISPATCH_PROPERTYPUT) {
            w.visible = arg(p, 0).boolVal != VARIANT_FALSE;
            w.log.push_back(w.visible ? "Visible=True" : "Visible=False");
        } else {
            r->vt = VT_BOOL;
            r->boolVal = w.visible ? VARIANT_TRUE : VARIANT_FALSE;
        }
        return S_OK;
    });
    app->member(L"Quit", [&w](WORD, DISPPARAMS*, VARIANT*) {
        w.log.push_back("Quit");
        return S_OK;
    });
    app->member(L"Workbooks", [&w](WORD, DISPPARAMS*, VARIANT* r) {
        auto* books = new Fake(w, "Workbooks");
        books->member(L"Count", [&w](WORD, DISPPARAMS*, VARIANT* r) {
            returnLong(r, 1);
            return S_OK;
        });
        books->member(L"Open", [&w](WORD, DISPPARAMS* p, VARIANT* r) {
            w.log.push_back("Open(" + utf8(bstr(arg(p, 0))) + ")");
            auto* book = new Fake(w, "Workbook");
            book->member(L"Worksheets", [&w](WORD, DISPPARAMS*, VARIANT* r) {
                auto* sheets = new Fake(w, "Worksheets");
                sheets->member(L"Count", [](WORD, DISPPARAMS*, VARIANT* r) {
                    returnLong(r, 2);
                    return S_OK;
                });
                sheets->member(L"Item", [&w](WORD, DISPPARAMS* p, VARIANT* r) {
                    std::string name = utf8(bstr(arg(p, 0)));
                    w.log.push_back("Worksheets(" + name + ")");
                    if (name != "短時間" && name != "標準時間")
                        return DISP_E_BADINDEX;
                    returnObject(r, newSheet(w, name));
                    return S_OK;
                });
                returnObject(r, sheets);
                return S_OK;
            });
            returnObject(r, book);
            return S_OK;
        });
        returnObject(r, books);
        return S_OK;
    });
    return app;
}

} // namespace
