#include "shell/qt/choice_list.h"

namespace vp::qt {

ChoiceList::ChoiceList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Some platform themes draw an unfocused selection barely darker than the background.
    QPalette shown = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        shown.setColor(QPalette::Inactive, role, shown.color(QPalette::Active, role));
    setPalette(shown);
}

void ChoiceList::focusInEvent(QFocusEvent* event) {
    const bool hadCurrentRow = currentIndex().isValid();
    QListWidget::focusInEvent(event);
    if (!hadCurrentRow && selectedItems().isEmpty())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

}  // namespace vp::qt
