#pragma once
// The runtime services the add-in uses, on Qt: the screen in twips, the per-user settings store
// (an INI file in the user's configuration folder), the system clipboard.
#include "gridmover/addin/environment.h"

#include <QSettings>
#include <QString>
#include <QWidget>

#include <memory>

namespace gridmover::host {

class QtScreen : public addin::Screen {
public:
    // window: the screen it is on counts (the primary one before it is shown).
    explicit QtScreen(QWidget* window = nullptr) : window_(window) {}
    int Width() const override;
    int Height() const override;
    int TwipsPerPixelX() const override;
    int TwipsPerPixelY() const override;
    int MousePointer() const override { return pointer_; }
    // 11 shows the hourglass over every window of the program until another pointer is set.
    void SetMousePointer(int pointer) override;

private:
    QWidget* window_;
    int pointer_ = 0;
};

// Settings kept as [application/section] key=value in one INI file of the user's.
class IniSettingsStore : public addin::SettingsStore {
public:
    explicit IniSettingsStore(const QString& file);
    // The file in the user's configuration folder ($XDG_CONFIG_HOME/gridmover/addins.ini).
    static QString DefaultFile();

    std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override;
    void SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                     std::string_view value) override;

private:
    std::unique_ptr<QSettings> settings_;
};

class QtClipboard : public addin::Clipboard {
public:
    void Clear() override;
    void SetData(const addin::Bitmap& picture) override;
};

} // namespace gridmover::host
