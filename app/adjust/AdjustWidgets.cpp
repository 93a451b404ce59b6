#include "AdjustWidgets.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>

namespace orvane {

PreviewBox::PreviewBox(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(64, 64, 64));
  setPalette(pal);
}

void PreviewBox::setPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

QRect PreviewBox::pictureRect() const {
  const QRect inner = contentsRect();
  return QRect(inner.left() + (inner.width() - picture_.width()) / 2,
               inner.top() + (inner.height() - picture_.height()) / 2, picture_.width(), picture_.height());
}

void PreviewBox::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (picture_.isNull()) return;
  QPainter p(this);
  p.setClipRect(contentsRect());
  p.drawImage(pictureRect().topLeft(), picture_);
}

ColorBox::ColorBox(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  setAutoFillBackground(true);
  setColor(Qt::black);
}

void ColorBox::setColor(const QColor& c) {
  color_ = c;
  QPalette pal = palette();
  pal.setColor(QPalette::Window, c);
  setPalette(pal);
  update();
}

void ColorBox::mouseReleaseEvent(QMouseEvent* event) {
  QFrame::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void CheckedLineEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Switching to another window or opening a menu does not leave the box.
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  if (onFocusLost) onFocusLost(QApplication::focusWidget());
}

}  // namespace orvane
