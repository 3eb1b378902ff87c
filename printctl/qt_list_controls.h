#pragma once
// ListControl over the caller's Qt list widgets. The adapters hold a guarded pointer: a widget
// deleted while the adapter lives reads as an empty list and ignores writes.
#include "printctl/list_control.h"

#include <QPointer>

class QComboBox;
class QListWidget;

namespace printctl {

class PRINTCTL_EXPORT ComboBoxList final : public ListControl {
public:
    explicit ComboBoxList(QComboBox* box);
    void AddItem(const std::string& item) override;
    int ListCount() const override;
    std::string List(int index) const override;
    std::string Text() const override;
    void Text(const std::string& text) override;

private:
    QPointer<QComboBox> box_;
};

class PRINTCTL_EXPORT ListWidgetList final : public ListControl {
public:
    explicit ListWidgetList(QListWidget* list);
    void AddItem(const std::string& item) override;
    int ListCount() const override;
    std::string List(int index) const override;
    // The current entry's text.
    std::string Text() const override;
    // Makes the entry with this text the current (and selected) one.
    void Text(const std::string& text) override;

private:
    QPointer<QListWidget> list_;
};

} // namespace printctl
