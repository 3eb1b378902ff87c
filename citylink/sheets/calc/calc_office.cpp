#include "citylink/sheets/calc/calc_office.h"

#include "citylink/sheets/calc/office_process.h"

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/exc_hlp.hxx>
#include <cppuhelper/implbase1.hxx>
#include <osl/file.hxx>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

namespace sheets::calc {

namespace css = com::sun::star;
using rtl::OUString;
using uno::Reference;
using uno::UNO_QUERY;
using uno::UNO_QUERY_THROW;
namespace fs = std::filesystem;

std::string Utf8(const OUString& text) {
    rtl::OString s = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(s.getStr(), static_cast<std::size_t>(s.getLength()));
}

OUString FromUtf8(std::string_view text) {
    return OUString(text.data(), static_cast<sal_Int32>(text.size()), RTL_TEXTENCODING_UTF8);
}

AutomationError Translate(const char* what, const uno::Exception& e, long number) {
    // The exception's dynamic type is known only to the UNO runtime (uno::Exception is not
    // polymorphic in C++).
    uno::Any caught = cppu::getCaughtException();
    if (caught.isExtractableTo(cppu::UnoType<css::lang::DisposedException>::get()))
        return AutomationError(std::string(what) + ": the office has gone away (" +
                                   Utf8(e.Message) + ")",
                               errors::kObjectGone);
    std::string message = Utf8(e.Message);
    return AutomationError(std::string(what) + (message.empty() ? "" : ": " + message), number);
}

namespace {

constexpr const char* kProgramDir = SUITE_LIBREOFFICE_PROGRAM;

AutomationError startFailure(const std::string& reason) {
    return AutomationError("LibreOffice: " + reason, errors::kCannotCreateObject);
}

// This process's own UNO runtime, set up once. The office installation's bootstrap file names
// the type libraries (the office's API included) that the bridge needs to talk to it. Never
// destroyed: the runtime must outlive every static that might still hold a reference at exit.
Reference<uno::XComponentContext> localContext() {
    static Reference<uno::XComponentContext>* context = [] {
        SetEnvironmentDefault("URE_BOOTSTRAP", "vnd.sun.star.pathname:" + std::string(kProgramDir) +
                                                   "/fundamentalrc");
        return new Reference<uno::XComponentContext>(
            cppu::defaultBootstrap_InitialComponentContext());
    }();
    return *context;
}

// The connection to the office as the bridge sees it, counting the messages that come back: every
// call into the office that waits for its answer is one such message (the bridge frames each
// message as a block of eight bytes of size and count, then the body). This is how the tests
// count the round trips a run costs.
class CountingConnection : public cppu::WeakImplHelper1<css::connection::XConnection> {
public:
    CountingConnection(Reference<css::connection::XConnection> inner,
                       std::shared_ptr<std::atomic<std::uint64_t>> messages)
        : inner_(std::move(inner)), messages_(std::move(messages)) {}

    sal_Int32 SAL_CALL read(uno::Sequence<sal_Int8>& bytes, sal_Int32 count) override {
        sal_Int32 n = inner_->read(bytes, count);
        // Only the bridge's reader thread reads: the framing state needs no lock.
        const sal_Int8* p = bytes.getConstArray();
        for (sal_Int32 i = 0; i < n; ++i) {
            if (bodyLeft_ > 0) {
                sal_Int32 take = static_cast<sal_Int32>(
                    std::min<std::uint64_t>(bodyLeft_, static_cast<std::uint64_t>(n - i)));
                bodyLeft_ -= static_cast<std::uint64_t>(take);
                i += take - 1;
                continue;
            }
            header_[headerHave_++] = static_cast<unsigned char>(p[i]);
            if (headerHave_ == 8) {
                bodyLeft_ = bigEndian(header_);
                *messages_ += bigEndian(header_ + 4);
                headerHave_ = 0;
            }
        }
        return n;
    }
    void SAL_CALL write(const uno::Sequence<sal_Int8>& bytes) override { inner_->write(bytes); }
    void SAL_CALL flush() override { inner_->flush(); }
    void SAL_CALL close() override { inner_->close(); }
    OUString SAL_CALL getDescription() override { return inner_->getDescription(); }

private:
    static std::uint32_t bigEndian(const unsigned char* b) {
        return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) |
               (std::uint32_t(b[2]) << 8) | std::uint32_t(b[3]);
    }

    Reference<css::connection::XConnection> inner_;
    std::shared_ptr<std::atomic<std::uint64_t>> messages_;
    unsigned char header_[8] = {};
    int headerHave_ = 0;
    std::uint64_t bodyLeft_ = 0;
};

// One URP connection over a named pipe.
struct Link {
    Reference<css::lang::XComponent> bridge;
    Reference<css::frame::XDesktop2> desktop;

    // Whether the office still answers (one round trip).
    bool alive() const {
        try {
            return desktop.is() && (desktop->getCurrentFrame(), true);
        } catch (const uno::Exception&) {
            return false;
        }
    }
    void dispose() noexcept {
        try {
            if (bridge.is())
                bridge->dispose();
        } catch (...) {
        }
        bridge.clear();
        desktop.clear();
    }
};

// A connection to the office listening on the pipe; nullopt while nobody listens there yet (or
// the office is not ready to hand out its context).
std::optional<Link> tryConnect(const std::string& pipe,
                               const std::shared_ptr<std::atomic<std::uint64_t>>& messages) {
    Reference<uno::XComponentContext> local = localContext();
    Reference<css::connection::XConnection> connection;
    try {
        connection = new CountingConnection(
            css::connection::Connector::create(local)->connect(FromUtf8("pipe,name=" + pipe)),
            messages);
    } catch (const css::connection::NoConnectException&) {
        return std::nullopt;
    }
    Link link;
    Reference<css::bridge::XBridge> bridge =
        css::bridge::BridgeFactory::create(local)->createBridge(OUString(), "urp", connection,
                                                                nullptr);
    link.bridge.set(bridge, UNO_QUERY_THROW);
    try {
        Reference<uno::XComponentContext> remote(bridge->getInstance("StarOffice.ComponentContext"),
                                                 UNO_QUERY);
        if (!remote.is()) {
            link.dispose();
            return std::nullopt;
        }
        link.desktop = css::frame::Desktop::create(remote);
    } catch (const uno::Exception&) {
        // Still starting up.
        link.dispose();
        return std::nullopt;
    }
    return link;
}

using Clock = std::chrono::steady_clock;

std::string seconds(std::chrono::milliseconds d) {
    return std::to_string(d.count() / 1000) + " s";
}

// Closes every document without saving: a private office holds nothing anyone wants to keep,
// and a document closed this way also takes its lock file beside the original with it.
void closeAll(const Reference<css::frame::XDesktop2>& desktop) noexcept {
    try {
        Reference<css::container::XEnumeration> e = desktop->getComponents()->createEnumeration();
        std::vector<Reference<css::util::XCloseable>> docs;
        while (e->hasMoreElements())
            docs.emplace_back(e->nextElement(), UNO_QUERY);
        for (auto& doc : docs) {
            try {
                Reference<css::util::XModifiable> modifiable(doc, UNO_QUERY);
                if (modifiable.is())
                    modifiable->setModified(false);
                if (doc.is())
                    doc->close(true);
            } catch (const uno::Exception&) {
            }
        }
    } catch (const uno::Exception&) {
    }
}

class PrivateOffice : public Office {
public:
    explicit PrivateOffice(std::chrono::milliseconds timeout) : timeout_(timeout) {}
    ~PrivateOffice() override { stop(); }

    bool isUserOffice() const override { return false; }
    long processId() const override { return pid_; }

    Reference<css::frame::XDesktop2> desktop() override {
        if (link_ && pid_ > 0 && !ExitStatus(pid_) && link_->alive())
            return link_->desktop;
        stop();
        start();
        return link_->desktop;
    }

private:
    void start() {
        static std::atomic<int> counter{0};
        pipe_ = "citylink-office-" + std::to_string(CurrentProcessId()) + "-" +
                std::to_string(++counter);
        try {
            profile_ = MakePrivateTempFolder("citylink-office-");
        } catch (const std::runtime_error& e) {
            throw startFailure(std::string("no profile folder: ") + e.what());
        }
        OUString profileUrl;
        osl::FileBase::getFileURLFromSystemPath(FromUtf8(profile_.string()), profileUrl);
        const std::string program = std::string(kProgramDir) + "/soffice.bin";
        const std::vector<std::string> args = {"--headless",
                                               "--invisible",
                                               "--norestore",
                                               "--nologo",
                                               "--nodefault",
                                               "--nolockcheck",
                                               "-env:UserInstallation=" + Utf8(profileUrl),
                                               "--accept=pipe,name=" + pipe_ +
                                                   ";urp;StarOffice.ComponentContext"};
        try {
            const auto deadline = Clock::now() + timeout_;
            pid_ = SpawnChild(program, args);
            int restarts = 0;
            while (true) {
                if (std::optional<int> status = ExitStatus(pid_)) {
                    // 81: the first start on a fresh profile asks to be started again (the
                    // office's own launcher does the same).
                    if (*status == 81 && ++restarts <= 3) {
                        pid_ = SpawnChild(program, args);
                        continue;
                    }
                    pid_ = 0;
                    throw startFailure(program + " ended during start-up (exit status " +
                                       std::to_string(*status) + ")");
                }
                if ((link_ = tryConnect(pipe_, messages_)))
                    return;
                if (Clock::now() > deadline)
                    throw startFailure(program + " did not answer within " + seconds(timeout_));
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        } catch (const uno::Exception& e) {
            stop();
            throw startFailure("cannot connect: " + Utf8(e.Message));
        } catch (const std::runtime_error& e) {
            stop();
            if (auto* automation = dynamic_cast<const AutomationError*>(&e))
                throw *automation;
            throw startFailure(e.what());
        }
    }

    void stop() noexcept {
        // An office that was told to terminate gets a moment to do so; one that never answered
        // is killed at once.
        auto grace = link_ ? std::chrono::seconds(10) : std::chrono::seconds(0);
        if (link_) {
            closeAll(link_->desktop);
            try {
                link_->desktop->terminate();
            } catch (...) {
                // The connection goes with the process; that is the point.
            }
            link_->dispose();
            link_.reset();
        }
        if (pid_ > 0)
            StopChild(pid_, grace);
        pid_ = 0;
        if (!profile_.empty()) {
            std::error_code ec;
            fs::remove_all(profile_, ec);
            profile_.clear();
        }
    }

    std::chrono::milliseconds timeout_;
    std::string pipe_;
    fs::path profile_;
    ProcessId pid_ = 0;
    std::optional<Link> link_;
};

// The pipe the user's office listens on for this program. The office runs once per user profile,
// and the profile follows the configuration folder (XDG_CONFIG_HOME, else HOME/.config): a
// session with another configuration folder (another desktop session, a test's temporary HOME)
// has another office and so needs another pipe. FNV-1a: the name must stay the same from one
// build of this program to the next.
std::string userPipeName() {
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = std::string(home) + "/.config";
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : config)
        hash = (hash ^ c) * 16777619u;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", hash);
    return "citylink-" + CurrentUserId() + "-" + hex;
}

class UserOffice : public Office {
public:
    explicit UserOffice(std::chrono::milliseconds timeout)
        : timeout_(timeout), pipe_(userPipeName()) {}
    ~UserOffice() override {
        // The office is the user's: only the connection goes.
        if (link_)
            link_->dispose();
    }

    bool isUserOffice() const override { return true; }
    long processId() const override { return 0; }

    Reference<css::frame::XDesktop2> desktop() override {
        if (link_ && link_->alive())
            return link_->desktop;
        if (link_)
            link_->dispose();
        link_.reset();
        try {
            if ((link_ = tryConnect(pipe_, messages_)))
                return link_->desktop;
            // Not listening yet: the office's launcher hands the request to a running office
            // (which then listens on the pipe too), or starts one with the user's profile.
            const std::string program = std::string(kProgramDir) + "/soffice";
            SpawnDetached(program,
                          {"--nologo", "--nodefault",
                           "--accept=pipe,name=" + pipe_ + ";urp;StarOffice.ComponentContext"});
            const auto deadline = Clock::now() + timeout_;
            while (!(link_ = tryConnect(pipe_, messages_))) {
                if (Clock::now() > deadline)
                    throw startFailure(program + " did not answer within " + seconds(timeout_));
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
            return link_->desktop;
        } catch (const uno::Exception& e) {
            throw startFailure("cannot connect: " + Utf8(e.Message));
        } catch (const AutomationError&) {
            throw;
        } catch (const std::runtime_error& e) {
            throw startFailure(e.what());
        }
    }

private:
    std::chrono::milliseconds timeout_;
    std::string pipe_;
    std::optional<Link> link_;
};

} // namespace

} // namespace sheets::calc

namespace sheets {

namespace fs = std::filesystem;

bool CalcInstalled() {
    std::error_code ec;
    const fs::path program = SUITE_LIBREOFFICE_PROGRAM;
    // soffice.bin is the office; libsclo.so is Calc within it.
    return fs::exists(program / "soffice.bin", ec) && fs::exists(program / "libsclo.so", ec);
}

bool CalcShowsWindows() {
    // The office draws through one of its window-system plugins; a build without any has only
    // its headless mode.
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(SUITE_LIBREOFFICE_PROGRAM, ec)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with("libvclplug_") && name.ends_with("lo.so"))
            return true;
    }
    return false;
}

CalcOfficePtr PrivateCalcOffice(std::chrono::milliseconds startTimeout) {
    return std::make_shared<calc::PrivateOffice>(startTimeout);
}

CalcOfficePtr UserCalcOffice(std::chrono::milliseconds startTimeout) {
    return std::make_shared<calc::UserOffice>(startTimeout);
}

} // namespace sheets
