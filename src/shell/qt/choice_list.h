// A list whose rows are chosen by a click or a key, never by the focus alone, and whose chosen
// row stays marked while the focus is elsewhere.
//
// A Qt list without a current row makes its first row current when it takes the focus; a
// window that loads on every change of the current row would then load the first row when the
// user merely tabs through. This list gives that row back, so Tab only moves the focus and the
// first arrow key chooses the first row. Callers listen to itemSelectionChanged, which a change
// of the current row alone does not emit.
#pragma once

#include <QListWidget>

namespace vp::qt {

class ChoiceList : public QListWidget {
  public:
    explicit ChoiceList(QWidget* parent);

  protected:
    void focusInEvent(QFocusEvent* event) override;
};

}  // namespace vp::qt
