#include "gridmover/addin/status_window.h"

#include "gridmover/addin/environment.h"
#include "gridmover/addin/twips.h"
#include "gridmover/core/string_resources.h"

#include <exception>

namespace gridmover::addin {

Status::Status(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Status"));
    setWindowTitle(QString::fromUtf8(kAddInTitle.data(), static_cast<int>(kAddInTitle.size())));
    setFixedSize(TwipsToPixels(4680), TwipsToPixels(1005));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(TwipsToPixels(90), TwipsToPixels(90), TwipsToPixels(4500),
                        TwipsToPixels(825));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSize(9);
    Label1->setFont(font);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Status::Form_Load() {
    // Centred in twips, as the screen reports them; without a runtime the window stays where the
    // window system puts it.
    try {
        const Screen& screen = CurrentRuntime().screen;
        const int tx = screen.TwipsPerPixelX();
        const int ty = screen.TwipsPerPixelY();
        const int left = (screen.Width() - width() * tx) / 2;
        const int top = (screen.Height() - height() * ty) / 2;
        move(left / tx, top / ty);
    } catch (const std::exception&) {
    }
}

void Status::SetText(std::string_view text) {
    Label1->setText(QString::fromStdString(WithLineFeeds(text)));
    Label1->repaint();
}

void Status::showEvent(QShowEvent* event) {
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QWidget::showEvent(event);
}

} // namespace gridmover::addin
