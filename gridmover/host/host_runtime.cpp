#include "gridmover/host/host_runtime.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QStandardPaths>

#include <cmath>

namespace gridmover::host {

namespace {

QScreen* screenOf(QWidget* window) {
    if (window != nullptr && window->screen() != nullptr) {
        return window->screen();
    }
    return QGuiApplication::primaryScreen();
}

// A twip is 1/1440 inch: 15 to the pixel at 96 dots per inch.
int twipsPerPixel(double dpi) {
    return dpi > 0 ? std::max(1, static_cast<int>(std::lround(1440.0 / dpi))) : 15;
}

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

QString settingsKey(std::string_view app, std::string_view section, std::string_view key) {
    // "/" would nest groups in QSettings; the names are kept whole.
    QString a = q(app), s = q(section), k = q(key);
    a.replace('/', '_');
    s.replace('/', '_');
    k.replace('/', '_');
    return a + " - " + s + "/" + k;
}

} // namespace

int QtScreen::Width() const {
    QScreen* s = screenOf(window_);
    return s ? s->geometry().width() * TwipsPerPixelX() : 0;
}

int QtScreen::Height() const {
    QScreen* s = screenOf(window_);
    return s ? s->geometry().height() * TwipsPerPixelY() : 0;
}

int QtScreen::TwipsPerPixelX() const {
    QScreen* s = screenOf(window_);
    return twipsPerPixel(s ? s->logicalDotsPerInchX() : 0);
}

int QtScreen::TwipsPerPixelY() const {
    QScreen* s = screenOf(window_);
    return twipsPerPixel(s ? s->logicalDotsPerInchY() : 0);
}

void QtScreen::SetMousePointer(int pointer) {
    if (pointer == pointer_) {
        return;
    }
    if (pointer_ != 0) {
        QApplication::restoreOverrideCursor();
    }
    pointer_ = pointer;
    if (pointer_ == 11) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (pointer_ != 0) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
}

IniSettingsStore::IniSettingsStore(const QString& file)
    : settings_(std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

QString IniSettingsStore::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/gridmover/addins.ini");
}

std::string IniSettingsStore::GetSetting(std::string_view appName, std::string_view section,
                                         std::string_view key,
                                         std::string_view defaultValue) const {
    settings_->sync(); // another instance of the host may have written meanwhile
    return settings_->value(settingsKey(appName, section, key), q(defaultValue))
        .toString()
        .toStdString();
}

void IniSettingsStore::SaveSetting(std::string_view appName, std::string_view section,
                                   std::string_view key, std::string_view value) {
    settings_->setValue(settingsKey(appName, section, key), q(value));
    settings_->sync();
}

void QtClipboard::Clear() {
    QGuiApplication::clipboard()->clear();
}

void QtClipboard::SetData(const addin::Bitmap& picture) {
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            image.setPixel(x, y, picture.pixels[static_cast<std::size_t>(y * picture.width + x)]);
        }
    }
    QGuiApplication::clipboard()->setImage(image);
}

} // namespace gridmover::host
