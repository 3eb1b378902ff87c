#pragma once
// The message seam on Windows without Qt: the system's own message box (MessageBoxW), owned by the
// caller's window that FormNum names, so that it stays in front of that window and blocks it.
#include "foundation/prompts.h"

#include <cstdint>

namespace printctl {

class MessageBoxPrompts final : public Prompts {
public:
    // The owner of every box from now on: a window handle as the caller passed it (0 for none;
    // a handle that is no window counts as none).
    void setOwner(std::int64_t window) { owner_ = window; }

    void message(MsgIcon icon, std::string_view title, std::string_view text) override;
    bool askYesNo(std::string_view title, std::string_view text) override;
    // The common open-file dialog (GetOpenFileNameW); the library itself never asks for a file.
    std::optional<std::string> chooseOpenFile(const OpenFileRequest& request) override;

private:
    std::int64_t owner_ = 0;
};

} // namespace printctl
