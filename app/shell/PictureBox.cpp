#include "PictureBox.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "CDIB.h"

namespace orvane {

namespace {

// Painting a little more than is visible lets small drags repaint from the cache.
constexpr int kMargin = 64;

// The picture span [lo, hi) under shown pixel i of n along a side of `size` pixels.
struct Span {
  int32_t lo, hi;
};
Span SpanOf(int64_t i, int64_t n, int64_t size) {
  const auto lo = static_cast<int32_t>(i * size / n);
  const auto hi = static_cast<int32_t>(std::max<int64_t>(lo + 1, (i + 1) * size / n));
  return {lo, std::min<int32_t>(hi, static_cast<int32_t>(size))};
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void PictureBox::SetPicture(const CDIB* picture) {
  picture_ = picture;
  PictureChanged();
}

void PictureBox::PictureChanged() {
  cache_ = QImage();
  cacheRect_ = QRect();
  update();
}

QImage PictureBox::Render(const CDIB& picture, QSize shown, QRect part) {
  const int32_t W = picture.Width(), H = picture.Height();
  part &= QRect(QPoint(0, 0), shown);
  if (picture.DIBPointer() == nullptr || W <= 0 || H <= 0 || part.isEmpty()) return {};
  QImage out(part.size(), QImage::Format_RGB32);
  if (out.isNull()) return {};
  std::vector<Span> columns(part.width());
  for (int i = 0; i < part.width(); ++i) columns[i] = SpanOf(part.left() + i, shown.width(), W);
  const uint8_t* bits = picture.DIBPointer();
  const int64_t stride = picture.SRB();
  std::vector<uint32_t> sums(size_t(part.width()) * 3);
  for (int j = 0; j < part.height(); ++j) {
    const Span rows = SpanOf(part.top() + j, shown.height(), H);
    std::fill(sums.begin(), sums.end(), 0u);
    for (int32_t y = rows.lo; y < rows.hi; ++y) {
      const uint8_t* row = bits + int64_t(H - 1 - y) * stride;  // rows are stored bottom-up
      uint32_t* s = sums.data();
      for (const Span& c : columns) {
        for (const uint8_t* p = row + int64_t(c.lo) * 3; p < row + int64_t(c.hi) * 3; p += 3) {
          s[0] += p[0];
          s[1] += p[1];
          s[2] += p[2];
        }
        s += 3;
      }
    }
    auto* line = reinterpret_cast<uint32_t*>(out.scanLine(j));
    const uint32_t height = uint32_t(rows.hi - rows.lo);
    const uint32_t* s = sums.data();
    for (const Span& c : columns) {
      const uint32_t n = uint32_t(c.hi - c.lo) * height;
      const uint32_t b = (s[0] + n / 2) / n, g = (s[1] + n / 2) / n, r = (s[2] + n / 2) / n;
      *line++ = 0xff000000u | (r << 16) | (g << 8) | b;
      s += 3;
    }
  }
  return out;
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // The image area clips the picture: nothing outside it is rendered.
  QRect wanted = event->rect();
  if (const QWidget* area = parentWidget()) wanted &= QRect(mapFromParent(QPoint(0, 0)), area->size());
  if (wanted.isEmpty()) return;
  if (picture_ == nullptr || picture_->DIBPointer() == nullptr) {
    painter.fillRect(wanted, palette().color(QPalette::Window));
    return;
  }
  if (cacheSize_ != size() || !cacheRect_.contains(wanted)) {
    cacheRect_ = wanted.adjusted(-kMargin, -kMargin, kMargin, kMargin) & rect();
    cacheSize_ = size();
    cache_ = Render(*picture_, size(), cacheRect_);
  }
  painter.drawImage(wanted.topLeft(), cache_, wanted.translated(-cacheRect_.topLeft()));
}

void PictureBox::MoveWithin(QPoint pos) {
  if (QWidget* area = parentWidget()) {
    const int keepW = std::min(kKeepVisible, width()), keepH = std::min(kKeepVisible, height());
    pos.setX(std::clamp(pos.x(), keepW - width(), std::max(keepW - width(), area->width() - keepW)));
    pos.setY(std::clamp(pos.y(), keepH - height(), std::max(keepH - height(), area->height() - keepH)));
  }
  move(pos);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  grabOffset_ = event->position().toPoint();
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  // The picture moves with the pointer while the left button is held.
  if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
  MoveWithin(mapToParent(event->position().toPoint()) - grabOffset_);
}

void PictureBox::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

}  // namespace orvane
