#include "PictureBox.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
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
  // The picture columns under the part, from the first span's start to the last one's end.
  const int32_t firstColumn = columns.front().lo, lastColumn = columns.back().hi;
  const size_t runBytes = size_t(lastColumn - firstColumn) * 3;
  const uint8_t* bits = picture.DIBPointer();
  const int64_t stride = picture.SRB();
  // Taken once: scanLine() may detach the image, which the helper threads must not do.
  uchar* const lines = out.bits();
  const int64_t lineBytes = out.bytesPerLine();

  // Each shown row: the picture rows under it are first added up byte by byte
  // over the whole run (a plain loop the compiler widens to vector adds), then
  // each shown pixel adds up its columns of those sums. A reduced picture at
  // Fit is painted several times faster than by summing pixel by pixel.
  auto renderRows = [&](int first, int last) {
    std::vector<uint32_t> sums(runBytes);
    for (int j = first; j < last; ++j) {
      const Span rows = SpanOf(part.top() + j, shown.height(), H);
      std::fill(sums.begin(), sums.end(), 0u);
      for (int32_t y = rows.lo; y < rows.hi; ++y) {
        const uint8_t* row = bits + int64_t(H - 1 - y) * stride + int64_t(firstColumn) * 3;  // bottom-up
        uint32_t* sum = sums.data();
        for (size_t b = 0; b < runBytes; ++b) sum[b] += row[b];
      }
      auto* line = reinterpret_cast<uint32_t*>(lines + int64_t(j) * lineBytes);
      const uint32_t height = uint32_t(rows.hi - rows.lo);
      for (const Span& c : columns) {
        uint32_t b = 0, g = 0, r = 0;
        for (const uint32_t* p = sums.data() + size_t(c.lo - firstColumn) * 3;
             p < sums.data() + size_t(c.hi - firstColumn) * 3; p += 3) {
          b += p[0];
          g += p[1];
          r += p[2];
        }
        const uint32_t n = uint32_t(c.hi - c.lo) * height;
        b = (b + n / 2) / n;
        g = (g + n / 2) / n;
        r = (r + n / 2) / n;
        *line++ = 0xff000000u | (r << 16) | (g << 8) | b;
      }
    }
  };

  // Large parts (a big picture at Fit) are shared out over the processors by
  // bands of shown rows; each band writes its own rows only.
  const int64_t rowsRead =
      SpanOf(part.bottom(), shown.height(), H).hi - SpanOf(part.top(), shown.height(), H).lo;
  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  const int bands = int64_t(runBytes) * rowsRead < (int64_t{8} << 20) ? 1 : int(std::min(processors, 8u));
  std::vector<std::thread> helpers;
  const int perBand = (part.height() + bands - 1) / bands;
  int done = part.height();  // from here down the helpers render; above it this thread does
  for (int k = bands - 1; k >= 1; --k) {
    const int first = k * perBand;
    if (first >= part.height()) continue;
    try {
      helpers.emplace_back(renderRows, first, done);
      done = first;
    } catch (const std::system_error&) {
      break;  // no thread to be had: the rest is rendered here
    }
  }
  renderRows(0, done);
  for (std::thread& t : helpers) t.join();
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
