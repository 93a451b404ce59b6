#include "SelectionOverlay.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

#include "ShellHelpers.h"

namespace orvane {

namespace {

constexpr int kHandleSize = 7;   // pixels of a handle's square
constexpr int kHandleReach = 5;  // how near the pointer must come to take a handle
constexpr int kAntsStep = 150;   // milliseconds between steps of the outline

int32_t nearestCorner(double v) { return static_cast<int32_t>(std::lround(v)); }

}  // namespace

QString SelectionText(const std::optional<PixelRect>& s) {
  if (!s) return {};
  return QStringLiteral("    Selection %1, %2  %3 \u00d7 %4")
      .arg(s->x)
      .arg(s->y)
      .arg(s->width)
      .arg(s->height);
}

SelectionOverlay::SelectionOverlay(QWidget* area, Mapping toArea, Mapping toPicture)
    : QWidget(area), toArea_(std::move(toArea)), toPicture_(std::move(toPicture)) {
  setObjectName(QStringLiteral("selectionOverlay"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setGeometry(area->rect());
  ants_ = new QTimer(this);
  ants_->setInterval(kAntsStep);
  connect(ants_, &QTimer::timeout, this, [this] {
    antsOffset_ = (antsOffset_ + 1) % 8;
    // Only the band along the outline changes; the picture under the inside need not be drawn again.
    const QRect outer =
        AreaRect().toAlignedRect().adjusted(-kHandleSize, -kHandleSize, kHandleSize, kHandleSize);
    const QRect inner = outer.adjusted(2 * kHandleSize, 2 * kHandleSize, -2 * kHandleSize, -2 * kHandleSize);
    update(inner.isValid() ? QRegion(outer).subtracted(QRegion(inner)) : QRegion(outer));
  });
  area->installEventFilter(this);
  raise();
  show();
}

void SelectionOverlay::Watch(QWidget* widget) {
  widget->installEventFilter(this);
  widget->setMouseTracking(true);  // the pointer's shape tells a handle from the inside
  raise();
}

void SelectionOverlay::PictureChanged(int32_t w, int32_t h) {
  pictureWidth_ = std::max(w, 0);
  pictureHeight_ = std::max(h, 0);
  raise();
  if (selection_) {
    const PixelRect kept = ClampRect(*selection_, pictureWidth_, pictureHeight_);
    Update(kept.empty() ? std::nullopt : std::optional<PixelRect>(kept));
  }
  update();
}

void SelectionOverlay::SetSelection(const PixelRect& rect) {
  const PixelRect kept = ClampRect(rect, pictureWidth_, pictureHeight_);
  Update(kept.empty() ? std::nullopt : std::optional<PixelRect>(kept));
}

void SelectionOverlay::SelectAll() { SetSelection({0, 0, pictureWidth_, pictureHeight_}); }

void SelectionOverlay::Clear() { Update(std::nullopt); }

void SelectionOverlay::Update(const std::optional<PixelRect>& selection) {
  if (selection == selection_) return;
  selection_ = selection;
  if (selection_)
    ants_->start();
  else
    ants_->stop();
  update();
  emit Changed();
}

QRectF SelectionOverlay::AreaRect() const {
  if (!selection_) return {};
  const PixelRect& s = *selection_;
  return QRectF(toArea_(QPointF(s.x, s.y)), toArea_(QPointF(double(s.right()), double(s.bottom()))))
      .normalized();
}

Qt::Edges SelectionOverlay::HandleAt(QPointF p) const {
  if (!selection_) return {};
  const QRectF r = AreaRect();
  const double xs[] = {r.left(), r.center().x(), r.right()};
  const double ys[] = {r.top(), r.center().y(), r.bottom()};
  const Qt::Edges xEdge[] = {Qt::LeftEdge, Qt::Edges(), Qt::RightEdge};
  const Qt::Edges yEdge[] = {Qt::TopEdge, Qt::Edges(), Qt::BottomEdge};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      if (i == 1 && j == 1) continue;
      if (std::abs(p.x() - xs[i]) <= kHandleReach && std::abs(p.y() - ys[j]) <= kHandleReach)
        return xEdge[i] | yEdge[j];
    }
  return {};
}

void SelectionOverlay::Press(QPointF p, Qt::KeyboardModifiers modifiers, bool& consumed) {
  consumed = false;
  drag_ = Drag::None;
  if (pictureWidth_ <= 0 || pictureHeight_ <= 0) return;
  pressArea_ = p;
  pressPicture_ = PicturePoint(p);
  if (modifiers & Qt::ShiftModifier) {
    drag_ = Drag::Draw;
  } else if (const Qt::Edges edges = HandleAt(p)) {
    drag_ = Drag::Resize;
    edges_ = edges;
    pressRect_ = *selection_;
  } else if (selection_ && AreaRect().contains(p)) {
    drag_ = Drag::Move;
    pressRect_ = *selection_;
  } else {
    // A plain press outside: a drag pans the picture, a click removes the selection.
    drag_ = Drag::MaybeClear;
    return;
  }
  consumed = true;
}

void SelectionOverlay::MoveTo(QPointF p) {
  const QPointF at = PicturePoint(p);
  const auto clampX = [this](double v) { return std::clamp(nearestCorner(v), 0, pictureWidth_); };
  const auto clampY = [this](double v) { return std::clamp(nearestCorner(v), 0, pictureHeight_); };
  switch (drag_) {
    case Drag::Draw: {
      const int32_t x0 = clampX(pressPicture_.x()), x1 = clampX(at.x());
      const int32_t y0 = clampY(pressPicture_.y()), y1 = clampY(at.y());
      const PixelRect r{std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0)};
      Update(r.empty() ? std::nullopt : std::optional<PixelRect>(r));
      break;
    }
    case Drag::Resize: {
      int32_t left = pressRect_.x, top = pressRect_.y;
      int32_t right = static_cast<int32_t>(pressRect_.right()),
              bottom = static_cast<int32_t>(pressRect_.bottom());
      if (edges_ & Qt::LeftEdge) left = clampX(at.x());
      if (edges_ & Qt::RightEdge) right = clampX(at.x());
      if (edges_ & Qt::TopEdge) top = clampY(at.y());
      if (edges_ & Qt::BottomEdge) bottom = clampY(at.y());
      // Dragged across the opposite edge, the rectangle turns over; it keeps at least a pixel.
      if (left > right) std::swap(left, right);
      if (top > bottom) std::swap(top, bottom);
      if (right == left) right < pictureWidth_ ? ++right : --left;
      if (bottom == top) bottom < pictureHeight_ ? ++bottom : --top;
      Update(PixelRect{left, top, right - left, bottom - top});
      break;
    }
    case Drag::Move: {
      const int32_t dx = nearestCorner(at.x() - pressPicture_.x());
      const int32_t dy = nearestCorner(at.y() - pressPicture_.y());
      PixelRect r = pressRect_;
      r.x = std::clamp(r.x + dx, 0, pictureWidth_ - r.width);
      r.y = std::clamp(r.y + dy, 0, pictureHeight_ - r.height);
      Update(r);
      break;
    }
    case Drag::MaybeClear:
      if ((p - pressArea_).manhattanLength() >= QApplication::startDragDistance()) drag_ = Drag::None;
      break;
    case Drag::None:
      break;
  }
}

void SelectionOverlay::Release(QPointF p) {
  MoveTo(p);
  if (drag_ == Drag::MaybeClear) Clear();
  drag_ = Drag::None;
}

void SelectionOverlay::ShowCursorAt(QWidget* widget, QPointF p) const {
  if (const Qt::Edges e = HandleAt(p))
    widget->setCursor(EdgeCursor(e));
  else if (selection_ && AreaRect().contains(p))
    widget->setCursor(Qt::SizeAllCursor);
  else
    widget->unsetCursor();
}

bool SelectionOverlay::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  QWidget* area = parentWidget();
  if (widget == nullptr || area == nullptr) return false;
  switch (event->type()) {
    case QEvent::Resize:
      if (widget == area) setGeometry(area->rect());
      update();
      return false;
    case QEvent::Move:
      update();
      return false;
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      bool consumed = false;
      Press(widget->mapTo(area, mouse->position()), mouse->modifiers(), consumed);
      return consumed;
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (drag_ == Drag::None) {
        if (widget != area) ShowCursorAt(widget, widget->mapTo(area, mouse->position()));
        return false;
      }
      const bool ours = drag_ != Drag::MaybeClear;
      MoveTo(widget->mapTo(area, mouse->position()));
      return ours;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton || drag_ == Drag::None) return false;
      const bool ours = drag_ != Drag::MaybeClear;
      Release(widget->mapTo(area, mouse->position()));
      return ours;
    }
    default:
      return false;
  }
}

void SelectionOverlay::paintEvent(QPaintEvent*) {
  if (!selection_) return;
  QPainter painter(this);
  // The outline runs along the selection's outermost pixels' outer edge.
  const QRectF r = AreaRect().adjusted(0, 0, -1, -1);
  painter.setPen(QPen(Qt::white, 1));
  painter.drawRect(r);
  QPen ants(Qt::black, 1, Qt::CustomDashLine);
  ants.setDashPattern({4, 4});
  ants.setDashOffset(antsOffset_);
  painter.setPen(ants);
  painter.drawRect(r);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  const double xs[] = {r.left(), r.center().x(), r.right()};
  const double ys[] = {r.top(), r.center().y(), r.bottom()};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (i != 1 || j != 1)
        painter.drawRect(
            QRectF(xs[i] - kHandleSize / 2, ys[j] - kHandleSize / 2, kHandleSize - 1, kHandleSize - 1));
}

}  // namespace orvane
