#include "printctl/qt_list_controls.h"

#include <QComboBox>
#include <QListWidget>

namespace printctl {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

ComboBoxList::ComboBoxList(QComboBox* box) : box_(box) {}

void ComboBoxList::AddItem(const std::string& item) {
    if (box_)
        box_->addItem(qs(item));
}

int ComboBoxList::ListCount() const {
    return box_ ? box_->count() : 0;
}

std::string ComboBoxList::List(int index) const {
    if (!box_ || index < 0 || index >= box_->count())
        return {};
    return box_->itemText(index).toStdString();
}

std::string ComboBoxList::Text() const {
    return box_ ? box_->currentText().toStdString() : "";
}

void ComboBoxList::Text(const std::string& text) {
    if (!box_)
        return;
    // Exact and case-sensitive, as printer names are; findText's default ignores letter case.
    int index = box_->findText(qs(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        box_->setCurrentIndex(index);
    else if (box_->isEditable())
        box_->setEditText(qs(text));
}

ListWidgetList::ListWidgetList(QListWidget* list) : list_(list) {}

void ListWidgetList::AddItem(const std::string& item) {
    if (list_)
        list_->addItem(qs(item));
}

int ListWidgetList::ListCount() const {
    return list_ ? list_->count() : 0;
}

std::string ListWidgetList::List(int index) const {
    if (!list_ || index < 0 || index >= list_->count())
        return {};
    return list_->item(index)->text().toStdString();
}

std::string ListWidgetList::Text() const {
    if (!list_ || !list_->currentItem())
        return {};
    return list_->currentItem()->text().toStdString();
}

void ListWidgetList::Text(const std::string& text) {
    if (!list_)
        return;
    QString wanted = qs(text);
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->text() == wanted) {
            list_->setCurrentRow(i);
            return;
        }
    }
}

} // namespace printctl
