#pragma once
// The office side of the Calc backend: a UNO connection to an office process, and the helpers
// the object model shares. Internal to the backend (it exposes UNO types).
#include "citylink/sheets/automation.h"
#include "citylink/sheets/calc/calc_backend.h"

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <rtl/ustring.hxx>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace sheets::calc {

namespace uno = com::sun::star::uno;

std::string Utf8(const rtl::OUString& text);
rtl::OUString FromUtf8(std::string_view text);

// An automation error from a UNO exception (call it in the handler that caught it): `what` failed,
// with the exception's message; a lost connection is kObjectGone whatever `number` says.
AutomationError Translate(const char* what, const uno::Exception& e, long number);

class Office : public CalcOffice {
public:
    // The desktop of the office, connecting first (and starting the office) when there is no
    // live connection. Throws AutomationError (kCannotCreateObject) with the reason.
    virtual uno::Reference<com::sun::star::frame::XDesktop2> desktop() = 0;

    // The answers received from the office so far, over every connection to it: one per call
    // that waited for the office (tests hold runs to a budget of these).
    std::uint64_t roundTrips() const { return *messages_; }

protected:
    std::shared_ptr<std::atomic<std::uint64_t>> messages_ =
        std::make_shared<std::atomic<std::uint64_t>>(0);
};

} // namespace sheets::calc
