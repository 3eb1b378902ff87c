#pragma once
// A CUPS scheduler of the test's own: configuration, spool, logs and a private HOME in a scratch
// folder, reached through a domain socket that this process's libcups (and every command it
// starts) uses through CUPS_SERVER and CUPS_SERVERROOT. Nothing of the machine's CUPS set-up or of
// a user's ~/.cups is read or written. The destructor stops the scheduler and restores the
// environment (libcups itself keeps the server it has once connected to, per thread).
#include "testsupport/test_files.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace printctl::testing {

class PrivateCups {
public:
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // Starts cupsd and waits until it answers; false with the reason when it cannot run here.
    bool start(std::string& whyNot);
    // Runs a shell command against this scheduler; its exit status, its stdout in output.
    int run(const std::string& command, std::string* output = nullptr) const;
    // A PPD file that the system's packages ship, "" when none is installed.
    static std::string shippedPpd();
    const std::filesystem::path& folder() const { return scratch_.path(); }
    bool running() const;
    // The scheduler's process group (its process id), -1 when none was started.
    pid_t processGroup() const { return pid_; }
    // Stops the scheduler and every process it started; the destructor does it too.
    void stop();

private:
    std::string errorLog() const;

    testsupport::ScratchDir scratch_;
    pid_t pid_ = -1;
    // The variables this object sets, with the values they had before (nullopt: unset).
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnvironment_;
};

} // namespace printctl::testing
