// XPTopButtons: a title-bar picture button (0 help, 1 minimise, 2 close, 3 maximise) that
// shows a normal, pointer-over or pressed picture.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <array>

namespace orvane {

class XPTopButtons : public QWidget {
  Q_OBJECT

 public:
  enum PictureState { Normal = 0, Over = 1, Down = 2 };

  explicit XPTopButtons(QWidget* parent = nullptr, int value = 0);

  int Value() const { return value_; }
  void setValue(int value);
  bool Enabled() const { return isEnabled(); }
  void setButtonEnabled(bool on) { setEnabled(on); }
  bool propertiesChanged() const { return changed_; }

  PictureState pictureState() const { return state_; }
  const QPixmap& shownPicture() const { return shown_; }
  // The picture of a kind (0..2) and state; all nine share one size.
  static QPixmap picture(int value, PictureState state);
  bool leaveTimerActive() const { return timer_.isActive(); }

  // One tick of the leave timer; public so the leave rule can be driven directly.
  void timerTick();

 signals:
  void Click();
  void PointerLeft();
  void MouseDown(int button, int shift, int x, int y);
  void MouseMove(int button, int shift, int x, int y);
  void MouseUp(int button, int shift, int x, int y);

 protected:
  // Screen pointer position; overridden by tests.
  virtual QPoint pointerPosition() const;

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void showPicture(PictureState state);

  int value_ = 0;
  bool changed_ = false;
  PictureState state_ = Normal;
  QPixmap shown_;
  QTimer timer_;
};

}  // namespace orvane
