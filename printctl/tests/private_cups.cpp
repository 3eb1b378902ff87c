#include "printctl/tests/private_cups.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace printctl::testing {

namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream(file) << text;
}

} // namespace

PrivateCups::PrivateCups() {
    const fs::path& root = scratch_.path();
    for (const char* dir : {"spool/tmp", "cache", "state", "log", "ppd", "ssl", "home"})
        fs::create_directories(root / dir);
    // The scheduler reads, and lp* commands write, only inside the scratch folder.
    const std::pair<const char*, std::optional<std::string>> environment[] = {
        {"CUPS_SERVER", (root / "cups.sock").string()},
        {"CUPS_SERVERROOT", root.string()},
        {"HOME", (root / "home").string()},
        {"LPDEST", std::nullopt},
        {"PRINTER", std::nullopt},
        {"CUPS_USER", std::nullopt},
    };
    for (const auto& [name, value] : environment) {
        const char* old = std::getenv(name);
        savedEnvironment_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
}

PrivateCups::~PrivateCups() {
    stop();
}

std::string PrivateCups::shippedPpd() {
    for (const char* dir : {"/usr/share/ppd/cupsfilters", "/usr/share/ppd"}) {
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(dir, ec)) {
            if (entry.path().extension() == ".ppd" && entry.is_regular_file())
                return entry.path().string();
        }
    }
    return {};
}

bool PrivateCups::start(std::string& whyNot) {
    if (::access(kCupsd, X_OK) != 0) {
        whyNot = std::string(kCupsd) + " is not installed (package cups-daemon)";
        return false;
    }
    const std::string root = scratch_.path().string();
    std::string files = "ServerRoot " + root +
                        "\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                        "DocumentRoot /usr/share/cups/doc-root\nRequestRoot " +
                        root +
                        "/spool\n"
                        "TempDir " +
                        root + "/spool/tmp\nCacheDir " + root +
                        "/cache\n"
                        "StateDir " +
                        root + "/state\nAccessLog " + root +
                        "/log/access_log\n"
                        "ErrorLog " +
                        root + "/log/error_log\nPageLog " + root +
                        "/log/page_log\n"
                        "Printcap " +
                        root + "/printcap\nFileDevice Yes\n";
    if (::geteuid() == 0) {
        // cupsd refuses to run its helpers as root; "lp" is Debian's printing account.
        if (!::getpwnam("lp") || !::getgrnam("lp")) {
            whyNot = "no \"lp\" account for the scheduler's helpers";
            return false;
        }
        files += "User lp\nGroup lp\nSystemGroup root\n";
    } else if (const group* g = ::getgrgid(::getegid())) {
        files += std::string("SystemGroup ") + g->gr_name + "\n";
    }
    writeText(scratch_.path() / "cups-files.conf", files);
    writeText(scratch_.path() / "cupsd.conf",
              "Listen " + root +
                  "/cups.sock\nBrowsing No\nBrowseLocalProtocols none\n"
                  "DefaultAuthType None\nWebInterface No\nLogLevel warn\n"
                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                  "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
    writeText(scratch_.path() / "client.conf", "ServerName " + root + "/cups.sock\n");

    pid_ = ::fork();
    if (pid_ < 0) {
        whyNot = "fork failed";
        return false;
    }
    if (pid_ == 0) {
        ::setpgid(0, 0); // its helpers stop with it
        std::string conf = root + "/cupsd.conf";
        std::string filesConf = root + "/cups-files.conf";
        ::execl(kCupsd, kCupsd, "-f", "-c", conf.c_str(), "-s", filesConf.c_str(), nullptr);
        ::_exit(127);
    }
    for (int i = 0; i < 200; ++i) {
        if (!running()) {
            whyNot = "cupsd stopped at once: " + errorLog();
            pid_ = -1;
            return false;
        }
        std::string out;
        if (fs::exists(scratch_.path() / "cups.sock") && run("lpstat -r", &out) == 0 &&
            out.find("not running") == std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    whyNot = "cupsd did not answer within 10 s: " + errorLog();
    stop();
    return false;
}

bool PrivateCups::running() const {
    if (pid_ <= 0)
        return false;
    int status = 0;
    return ::waitpid(pid_, &status, WNOHANG) == 0;
}

void PrivateCups::stop() {
    if (pid_ <= 0)
        return;
    ::kill(-pid_, SIGTERM);
    for (int i = 0; i < 100 && running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (running()) {
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

int PrivateCups::run(const std::string& command, std::string* output) const {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    char buf[512];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe))
        text.append(buf, n);
    int status = ::pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string PrivateCups::errorLog() const {
    std::ifstream in(scratch_.path() / "log/error_log");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.empty() ? "(no error log)" : text;
}

} // namespace printctl::testing
