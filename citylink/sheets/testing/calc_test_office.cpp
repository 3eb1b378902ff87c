#include "citylink/sheets/testing/calc_test_office.h"

#include "citylink/sheets/a1.h"
#include "citylink/sheets/calc/calc_office.h"

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XLayoutManager.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <gtest/gtest.h>
#include <osl/file.hxx>

#include <charconv>
#include <stdexcept>

namespace sheets::calctest {
namespace {

namespace css = com::sun::star;
namespace uno = com::sun::star::uno;
using rtl::OUString;
using uno::Reference;
using uno::UNO_QUERY;
using uno::UNO_QUERY_THROW;

CalcOfficePtr* shared = nullptr;

// Stops the shared office when the program's tests are done, before static destruction.
class StopSharedOffice : public ::testing::Environment {
public:
    void TearDown() override {
        if (shared)
            shared->reset();
    }
};

Reference<css::frame::XDesktop2> desktopOf(const CalcOfficePtr& office) {
    auto* o = dynamic_cast<calc::Office*>(office.get());
    if (!o)
        throw std::logic_error("not a Calc office");
    return o->desktop();
}

std::vector<Reference<css::frame::XModel>> models(const CalcOfficePtr& office) {
    std::vector<Reference<css::frame::XModel>> result;
    auto e = desktopOf(office)->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<css::sheet::XSpreadsheetDocument> doc(e->nextElement(), UNO_QUERY);
        if (doc.is())
            result.emplace_back(doc, UNO_QUERY);
    }
    return result;
}

std::filesystem::path pathOf(const OUString& url) {
    OUString path;
    osl::FileBase::getSystemPathFromFileURL(url, path);
    std::string s = calc::Utf8(path);
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
}

OUString urlOf(const std::filesystem::path& file) {
    auto s = std::filesystem::weakly_canonical(file).u8string();
    OUString url;
    osl::FileBase::getFileURLFromSystemPath(
        calc::FromUtf8(std::string_view(reinterpret_cast<const char*>(s.data()), s.size())), url);
    return url;
}

} // namespace

CalcOfficePtr SharedTestOffice() {
    if (!shared) {
        shared = new CalcOfficePtr(PrivateCalcOffice());
        ::testing::AddGlobalTestEnvironment(new StopSharedOffice);
    }
    if (!*shared)
        *shared = PrivateCalcOffice();
    return *shared;
}

std::vector<OfficeDocument> OpenDocuments(const CalcOfficePtr& office) {
    std::vector<OfficeDocument> result;
    for (const auto& model : models(office)) {
        OfficeDocument doc;
        doc.file = pathOf(model->getURL());
        doc.modified = Reference<css::util::XModifiable>(model, UNO_QUERY_THROW)->isModified();
        Reference<css::frame::XController> controller = model->getCurrentController();
        if (controller.is()) {
            Reference<css::awt::XWindow2> window(controller->getFrame()->getContainerWindow(),
                                                 UNO_QUERY);
            doc.visible = window.is() && window->isVisible();
            Reference<css::beans::XPropertySet> props(controller->getFrame(), UNO_QUERY);
            Reference<css::frame::XLayoutManager> layout;
            if (props.is())
                props->getPropertyValue("LayoutManager") >>= layout;
            doc.menuBar =
                layout.is() && layout->isElementVisible("private:resource/menubar/menubar");
        }
        result.push_back(doc);
    }
    return result;
}

std::string CellText(const CalcOfficePtr& office, const std::filesystem::path& file,
                     const std::string& sheet, const std::string& a1, bool* isNumber) {
    OUString url = urlOf(file);
    for (const auto& model : models(office)) {
        if (model->getURL() != url)
            continue;
        Reference<css::sheet::XSpreadsheetDocument> doc(model, UNO_QUERY_THROW);
        Reference<css::sheet::XSpreadsheet> s(doc->getSheets()->getByName(calc::FromUtf8(sheet)),
                                              UNO_QUERY_THROW);
        auto ref = ParseCell(a1);
        if (!ref)
            throw std::invalid_argument(a1);
        Reference<css::table::XCell> cell = s->getCellByPosition(ref->col - 1, ref->row - 1);
        if (isNumber)
            *isNumber = cell->getType() == css::table::CellContentType_VALUE;
        if (cell->getType() == css::table::CellContentType_VALUE) {
            char buf[64];
            auto [end, ec] = std::to_chars(buf, buf + sizeof buf, cell->getValue());
            return std::string(buf, end);
        }
        Reference<css::sheet::XCellRangeData> data(
            s->getCellRangeByPosition(ref->col - 1, ref->row - 1, ref->col - 1, ref->row - 1),
            UNO_QUERY_THROW);
        OUString text;
        data->getDataArray()[0][0] >>= text;
        return calc::Utf8(text);
    }
    throw std::runtime_error("not open in the office: " + file.string());
}

void OpenAsUser(const CalcOfficePtr& office, const std::filesystem::path& file) {
    Reference<css::frame::XComponentLoader> loader(desktopOf(office), UNO_QUERY_THROW);
    // Hidden: a headless office has no screen for it.
    css::beans::PropertyValue hidden;
    hidden.Name = "Hidden";
    hidden.Value <<= true;
    uno::Sequence<css::beans::PropertyValue> args(&hidden, 1);
    if (!loader->loadComponentFromURL(urlOf(file), "_blank", 0, args).is())
        throw std::runtime_error("cannot open " + file.string());
}

void CloseAll(const CalcOfficePtr& office) {
    for (const auto& model : models(office)) {
        Reference<css::util::XModifiable>(model, UNO_QUERY_THROW)->setModified(false);
        Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
    }
}

void PlaceWindows(const CalcOfficePtr& office, int x, int y, int width, int height) {
    for (const auto& model : models(office)) {
        Reference<css::frame::XController> controller = model->getCurrentController();
        if (controller.is())
            controller->getFrame()->getContainerWindow()->setPosSize(x, y, width, height,
                                                                     15 /* PosSize::POSSIZE */);
    }
}

void Terminate(const CalcOfficePtr& office) {
    CloseAll(office);
    try {
        desktopOf(office)->terminate();
    } catch (const uno::Exception&) {
        // The office may go before it answers.
    }
}

std::uint64_t RoundTrips(const CalcOfficePtr& office) {
    auto* o = dynamic_cast<calc::Office*>(office.get());
    if (!o)
        throw std::logic_error("not a Calc office");
    return o->roundTrips();
}

} // namespace sheets::calctest
