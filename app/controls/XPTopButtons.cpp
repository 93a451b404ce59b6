#include "XPTopButtons.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

#include "LumbraButton.h"
#include "SkinResources.h"

namespace orvane {

namespace {

constexpr int kWidth = 19;   // 285 twips
constexpr int kHeight = 23;  // 345 twips

// Drawn in code when the artwork is missing: a rounded square with the kind's sign.
QPixmap fallbackPicture(int value, XPTopButtons::PictureState state) {
  QPixmap pm(kWidth, kHeight);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  const QColor face = value == 2 ? QColor(224, 80, 48) : QColor(60, 130, 240);
  p.setBrush(state == XPTopButtons::Over   ? face.lighter(130)
             : state == XPTopButtons::Down ? face.darker(130)
                                           : face);
  p.setPen(Qt::white);
  p.drawRoundedRect(QRect(0, 2, kWidth - 1, kWidth - 1), 3, 3);
  const QRect sign(5, 7, kWidth - 10, kWidth - 10);
  if (value == 0) p.drawText(sign, Qt::AlignCenter, QStringLiteral("?"));
  if (value == 1) p.drawLine(sign.left(), sign.bottom(), sign.right(), sign.bottom());
  if (value == 2) {
    p.drawLine(sign.topLeft(), sign.bottomRight());
    p.drawLine(sign.topRight(), sign.bottomLeft());
  }
  if (value == 3) p.drawRect(sign);
  return pm;
}

}  // namespace

QPixmap XPTopButtons::picture(int value, PictureState state) {
  static const char* kinds[] = {"help", "mini", "close", "maxi"};
  static const char* states[] = {"", "_over", "_down"};
  static std::array<QPixmap, 12> cache;
  if (value < 0 || value > 3) return {};
  QPixmap& pm = cache[value * 3 + state];
  if (pm.isNull()) {
    pm = ResourcePixmap(QStringLiteral("btn_%1%2.png").arg(kinds[value], states[state]));
    if (pm.isNull()) pm = fallbackPicture(value, state);
  }
  return pm;
}

XPTopButtons::XPTopButtons(QWidget* parent, int value) : QWidget(parent), value_(value) {
  setObjectName(QStringLiteral("XPTopButtons"));
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  timer_.setInterval(1);
  connect(&timer_, &QTimer::timeout, this, &XPTopButtons::timerTick);
  const QPixmap close = picture(2, Normal);
  setFixedSize(close.size());
  showPicture(Normal);
}

void XPTopButtons::setValue(int value) {
  value_ = value;
  changed_ = true;
  showPicture(Normal);
}

void XPTopButtons::showPicture(PictureState state) {
  // Any other value keeps whatever is shown.
  if (value_ < 0 || value_ > 3) return;
  state_ = state;
  shown_ = picture(value_, state);
  update();
}

void XPTopButtons::resizeEvent(QResizeEvent*) {
  const QSize size = picture(2, Normal).size();
  if (this->size() != size) setFixedSize(size);
}

void XPTopButtons::showEvent(QShowEvent*) { showPicture(Normal); }

void XPTopButtons::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, shown_);
}

void XPTopButtons::mouseMoveEvent(QMouseEvent* event) {
  timer_.start();
  const QPoint pos = event->position().toPoint();
  if (pos.x() >= 0 && pos.x() <= width() && pos.y() >= 0 && pos.y() <= height()) {
    const int button = ButtonMask(event->buttons());
    emit MouseMove(button, ShiftMask(event->modifiers()), pos.x(), pos.y());
    showPicture(Over);
  }
}

void XPTopButtons::mousePressEvent(QMouseEvent* event) {
  showPicture(Down);
  const QPoint pos = event->position().toPoint();
  emit MouseDown(ButtonCode(event->button()), ShiftMask(event->modifiers()), pos.x(), pos.y());
}

void XPTopButtons::mouseReleaseEvent(QMouseEvent* event) {
  showPicture(Normal);
  const QPoint pos = event->position().toPoint();
  emit MouseUp(ButtonCode(event->button()), ShiftMask(event->modifiers()), pos.x(), pos.y());
  // A click is a left press and release over the control.
  if (event->button() == Qt::LeftButton && rect().contains(pos)) emit Click();
}

QPoint XPTopButtons::pointerPosition() const { return QCursor::pos(); }

void XPTopButtons::timerTick() {
  const QPoint local = mapFromGlobal(pointerPosition());
  if (local.x() >= 0 && local.x() <= width() && local.y() >= 0 && local.y() <= height()) return;
  timer_.stop();
  emit PointerLeft();
  showPicture(Normal);
}

}  // namespace orvane
