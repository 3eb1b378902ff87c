#pragma once
// The small progress window of the migration run: one label that the run rewrites and repaints
// for every file (the run does not yield to the event loop, so nothing else would paint it).
#include <QLabel>
#include <QWidget>

#include <string_view>

namespace gridmover::addin {

class Status : public QWidget {
public:
    explicit Status(QWidget* parent = nullptr);

    QLabel* Label1;

    // Centres the window on the screen; runs before the window is first shown.
    void Form_Load();
    // The label's new text, painted at once.
    void SetText(std::string_view text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool loaded_ = false;
};

} // namespace gridmover::addin
