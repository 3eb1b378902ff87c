// The window's three identifiers as Windows resolves them: to the installed application (here the
// recording fake, registered with COM by the test) or, when none is registered, to the embedded
// engine.
#include "citylink/sheets/platform/win32/system_applications.h"

#include "citylink/sheets/platform/win32/excel_automation.h"
#include "citylink/sheets/platform/win32/tests/fake_excel.h"
#include "foundation/utf8_path.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// {7C1A5E0B-3F52-4C9D-9E21-5B7E0C4A9D11}: the fake's class, ours alone.
constexpr CLSID kFakeClass = {
    0x7c1a5e0b, 0x3f52, 0x4c9d, {0x9e, 0x21, 0x5b, 0x7e, 0x0c, 0x4a, 0x9d, 0x11}};

// Hands out the fake application of one World.
class FakeFactory final : public IClassFactory {
public:
    explicit FakeFactory(World& w) : w_(w) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        Fake* app = newApplication(w_);
        HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    World& w_;
};

// The fake registered with COM under progId for the life of the object, as an installed
// application registers itself: HKEY_CLASSES_ROOT\<progId>\CLSID and a running class object.
class InstalledFake {
public:
    InstalledFake(World& w, const wchar_t* progId) : factory_(w), progId_(progId) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        std::wstring key = progId_ + L"\\CLSID";
        wchar_t text[64];
        StringFromGUID2(kFakeClass, text, 64);
        ok_ = RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, text,
                              static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))) ==
                  ERROR_SUCCESS &&
              SUCCEEDED(CoRegisterClassObject(kFakeClass, &factory_, CLSCTX_LOCAL_SERVER,
                                              REGCLS_MULTIPLEUSE, &cookie_));
    }
    ~InstalledFake() {
        if (cookie_)
            CoRevokeClassObject(cookie_);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, progId_.c_str());
    }
    bool ok() const { return ok_; }

private:
    FakeFactory factory_;
    std::wstring progId_;
    DWORD cookie_ = 0;
    bool ok_ = false;
};

bool anyExcelRegistered() {
    for (std::string_view id : sheets::kExcelProgIds)
        if (sheets::win32::ProgIdRegistered(id))
            return true;
    return false;
}

TEST(SystemApplications, TheFirstRegisteredIdentifierGetsTheInstalledApplication) {
    if (anyExcelRegistered())
        GTEST_SKIP() << "a spreadsheet application is installed here; the test registers its own";
    World w;
    {
        InstalledFake installed(w, L"Excel.Application");
        ASSERT_TRUE(installed.ok());
        sheets::BackendRegistry registry;
        sheets::win32::RegisterSystemApplications(registry);
        // "Excel.Application.15" is not registered: the next identifier starts the application.
        EXPECT_EQ(
            [&] {
                try {
                    registry.CreateObject("Excel.Application.15");
                } catch (const sheets::AutomationError& e) {
                    return e.number();
                }
                return 0L;
            }(),
            sheets::errors::kCannotCreateObject);
        sheets::ApplicationPtr app = sheets::CreateFirstAvailable(registry);
        app->Workbooks()->Open("C:\\data\\時間外保育利用状況表.xlsx");
        app.reset();
        EXPECT_EQ(w.log, (std::vector<std::string>{
                             "Visible=False", "Open(C:\\data\\時間外保育利用状況表.xlsx)",
                             "release Workbook", "release Workbooks", "release Application"}))
            << "started invisible by the automation client, then driven by name";
    }
    EXPECT_FALSE(anyExcelRegistered());
    EXPECT_EQ(w.live, 0);
}

TEST(SystemApplications, IdentifiersAreAskedInTheWindowsOrderAndNoneMeansTheEmbeddedEngine) {
    std::set<std::string> registered;
    std::vector<std::string> asked;
    sheets::BackendRegistry registry;
    sheets::win32::RegisterSystemApplications(registry, {}, [&](std::string_view id) {
        asked.emplace_back(id);
        return registered.count(std::string(id)) > 0;
    });
    // Nothing registered: the embedded engine, which opens the workbook itself.
    sheets::ApplicationPtr app = sheets::CreateFirstAvailable(registry);
    EXPECT_EQ(asked, (std::vector<std::string>{"Excel.Application.15", "Excel.Application.15",
                                               "Excel.Application", "Excel.Application.16"}));
    const auto form = testsupport::sourceDir() / "citylink/sheets/tests/data/form.xlsx";
    EXPECT_GT(app->Workbooks()->Open(utf8::fromPath(form))->Worksheets()->Count(), 0);

    // Only the last registered: the two before it refuse (and the client's own look-up of the
    // last finds nothing in this registry, so the last failure is the one reported).
    registered = {"Excel.Application.16"};
    asked.clear();
    try {
        sheets::CreateFirstAvailable(registry);
        ADD_FAILURE() << "created without a registered application";
    } catch (const sheets::AutomationError& e) {
        EXPECT_EQ(e.number(), sheets::errors::kCannotCreateObject);
    }
    EXPECT_EQ(asked.front(), "Excel.Application.15");
    EXPECT_EQ(asked.back(), "Excel.Application.16");
}

} // namespace
