// The two picture boxes of the adjustment dialog: the preview, which shows
// the reduced copy centred in its box, and the clickable colour boxes.
#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <functional>

namespace orvane {

class PreviewBox : public QFrame {
  Q_OBJECT

 public:
  explicit PreviewBox(QWidget* parent = nullptr);
  // Keeps picture as the box's persistent picture and repaints.
  void setPicture(const QImage& picture);
  const QImage& picture() const { return picture_; }
  // Where the picture is drawn: centred in the inner area.
  QRect pictureRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

class ColorBox : public QFrame {
  Q_OBJECT

 public:
  explicit ColorBox(QWidget* parent = nullptr);
  QColor color() const { return color_; }
  void setColor(const QColor& c);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QColor color_;
};

// A text box that runs a check after it has lost the focus, once its own
// handling (which drops the selection) is done, so the check may select text.
class CheckedLineEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit CheckedLineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
  // Receives the widget that now has the focus (null when none).
  std::function<void(QWidget* next)> onFocusLost;

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace orvane
