// A horizontal scroll bar used as a value slider: it takes the keyboard focus
// (Tab or a click), moves one step with the arrow keys and a tenth of its range
// with Page Up and Page Down, and a click in its track moves it by a page.
#pragma once

#include <QScrollBar>

namespace orvane {

class KeySlider : public QScrollBar {
  Q_OBJECT

 public:
  explicit KeySlider(QWidget* parent = nullptr);

  // A tenth of the range, rounded, at least 1: the Page Up / Page Down step.
  int keyPageStep() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace orvane
