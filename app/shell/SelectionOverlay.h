// SelectionOverlay: a rectangle selection drawn over the image area. A
// transparent child of the area paints the outline (marching ants) and eight
// handles; the pointer reaches it through the widgets it watches, so a plain
// drag still moves the picture. It keeps the rectangle in picture pixels and
// knows the display only through two mappings (picture to area coordinates
// and back) and PictureChanged.
#pragma once

#include <QPointF>
#include <QWidget>
#include <functional>
#include <optional>

#include "PictureRegion.h"

class QTimer;

namespace orvane {

// "    Selection 10, 20  30 × 40" for the status strip; empty without one.
QString SelectionText(const std::optional<PixelRect>& selection);

class SelectionOverlay : public QWidget {
  Q_OBJECT

 public:
  using Mapping = std::function<QPointF(QPointF)>;

  // `toArea` maps a picture point (pixel corners at whole numbers) to the
  // area's coordinates, `toPicture` the other way.
  SelectionOverlay(QWidget* area, Mapping toArea, Mapping toPicture);

  // A widget under the overlay whose pointer events may start or change a
  // selection (the area itself is watched from the start).
  void Watch(QWidget* widget);

  // The picture's size, zoom or place changed: the selection is clamped to a
  // w x h picture (dropped when nothing of it is left) and redrawn.
  void PictureChanged(int32_t pictureWidth, int32_t pictureHeight);

  const std::optional<PixelRect>& Selection() const { return selection_; }
  // Clamped to the picture; an empty result removes the selection.
  void SetSelection(const PixelRect& rect);
  void SelectAll();
  void Clear();

 signals:
  void Changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  enum class Drag { None, Draw, Move, Resize, MaybeClear };

  // The selection's rectangle in area coordinates.
  QRectF AreaRect() const;
  // The edges a handle at `areaPoint` moves (none when no handle is there).
  Qt::Edges HandleAt(QPointF areaPoint) const;
  QPointF PicturePoint(QPointF areaPoint) const { return toPicture_(areaPoint); }
  void Press(QPointF areaPoint, Qt::KeyboardModifiers modifiers, bool& consumed);
  void MoveTo(QPointF areaPoint);
  void Release(QPointF areaPoint);
  void Update(const std::optional<PixelRect>& selection);
  // The pointer's shape over `widget` at area point `p`: a handle's, the inside's, or the usual.
  void ShowCursorAt(QWidget* widget, QPointF p) const;

  Mapping toArea_, toPicture_;
  int32_t pictureWidth_ = 0, pictureHeight_ = 0;
  std::optional<PixelRect> selection_;
  Drag drag_ = Drag::None;
  Qt::Edges edges_;
  QPointF pressArea_, pressPicture_;
  PixelRect pressRect_;
  QTimer* ants_ = nullptr;
  int antsOffset_ = 0;
};

}  // namespace orvane
