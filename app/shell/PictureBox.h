// PictureBox: the picture in the image area. Its geometry is the picture at
// the shown size (it may be far larger than the area, which clips it), but
// only the part that is visible is ever scaled and painted: no zoomed copy of
// the whole picture is made at any level.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace orvane {

class CDIB;

class PictureBox : public QWidget {
  Q_OBJECT
 public:
  explicit PictureBox(QWidget* parent = nullptr);

  // The picture shown, scaled to the widget's size; null shows nothing. The
  // picture must outlive the showing; call PictureChanged after writing to it.
  void SetPicture(const CDIB* picture);
  const CDIB* Picture() const { return picture_; }
  void PictureChanged();

  // Rectangle `part` of `picture` shown at size `shown`: each shown pixel is
  // the mean of the picture pixels its area covers (when enlarging, the one
  // pixel under it), so any part gives the same pixels as the whole.
  static QImage Render(const CDIB& picture, QSize shown, QRect part);

  // How much of the picture a drag must leave inside the image area.
  static constexpr int kKeepVisible = 32;
  // Moves to `pos`, held so that the picture stays at least partly in view.
  void MoveWithin(QPoint pos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const CDIB* picture_ = nullptr;
  // The last rendered part: exposures and small moves repaint from it.
  QImage cache_;
  QRect cacheRect_;
  QSize cacheSize_;
  bool dragging_ = false;
  QPoint grabOffset_;
};

}  // namespace orvane
