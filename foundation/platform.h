#pragma once
// The platform facts the data-folder rule needs, behind one small interface so that the rule is
// tested with injected values and each operating system supplies its own answers
// (platform/<os>/ holds the implementation, chosen by CMake).
#include <optional>
#include <string>

class Platform {
public:
    virtual ~Platform() = default;

    // Folder of the running program, without a trailing separator.
    virtual std::string programFolder() const = 0;
    // Whether the installation marker file exists (on Windows "C:\REDAZUDARUD.INI").
    virtual bool markerFileExists() const = 0;
    // The system folder that holds the shared data folder, without a trailing separator
    // (on Windows the Windows directory); nullopt when the platform cannot tell.
    virtual std::optional<std::string> windowsFolder() const = 0;
    // The path separator of the platform's folder texts.
    virtual char separator() const = 0;
};

// The running system's implementation.
const Platform& systemPlatform();
