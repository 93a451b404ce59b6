#include "KeySlider.h"

#include <QKeyEvent>
#include <algorithm>
#include <cmath>

namespace orvane {

KeySlider::KeySlider(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
  setFocusPolicy(Qt::StrongFocus);
  // A scroll bar turns its keys round (Right would lower the value); a slider does not.
  setInvertedControls(false);
}

int KeySlider::keyPageStep() const {
  const double range = static_cast<double>(maximum()) - minimum();
  return std::max(1, static_cast<int>(std::lround(range / 10)));
}

void KeySlider::keyPressEvent(QKeyEvent* event) {
  // The page step proper stays what a click in the track moves; the keys take
  // a tenth of the range whatever the pane set as its page.
  if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
    const int step = event->key() == Qt::Key_PageUp ? keyPageStep() : -keyPageStep();
    setValue(static_cast<int>(
        std::clamp<long long>(static_cast<long long>(value()) + step, minimum(), maximum())));
    event->accept();
    return;
  }
  QScrollBar::keyPressEvent(event);
}

}  // namespace orvane
