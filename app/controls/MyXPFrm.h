// MyXPFrm: covers a frameless window, paints its title bar, border and title,
// and lets the user drag the window by any point of it.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>

namespace orvane {

class MyXPFrm : public QWidget {
  Q_OBJECT

 public:
  explicit MyXPFrm(QWidget* parent = nullptr);

  // Stores the two title texts; they are drawn at the next painting.
  void SetCaption(const QString& programName, const QString& version);
  // Stores the two title texts and draws them at once.
  void Caption(const QString& programName, const QString& version);
  QString programName() const { return programName_; }
  QString versionText() const { return version_; }

  // What the control has drawn (it repaints itself from this).
  const QPixmap& drawing() const { return drawing_; }
  // Height of the painted title bar.
  int titleBarHeight() const;

  // Starts the system's window move; replaced by tests. Returns whether a move began.
  std::function<bool(QWidget* window)> startMove;

  static constexpr QRgb kBorderColour = 0xFF0041CE;  // RGB(0, 65, 206)

 signals:
  void MouseDown(int button, int shift, int x, int y);
  void MouseMove(int button, int shift, int x, int y);
  void MouseUp(int button, int shift, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void repaintFrame();
  void drawTitle(class QPainter& p) const;

  QString programName_;
  QString version_;
  QPixmap drawing_;
  QPixmap tile_;
  QPixmap left_;
  QPixmap right_;
};

}  // namespace orvane
