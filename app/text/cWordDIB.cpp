#include "cWordDIB.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

#include "Qrix.h"
#include "cEffectDIB.h"
#include "cFileDIB.h"

namespace orvane {

namespace {

// 2.1 as the single-precision value the box size is scaled by.
constexpr double kBoxScale = static_cast<double>(2.1f);
// Cell height used when the caller leaves it to the font (0).
constexpr int kDefaultPixelSize = 16;

int32_t toInt32(double v) {
  if (!(v > std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (!(v < std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(v);
}

// Rounds to nearest, ties to even (the default floating-point rounding mode).
int32_t roundEven(double v) { return toInt32(std::nearbyint(v)); }

// The shipped face is registered from its files when the system's font list lacks it.
void ensureDefaultFace() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (QFontDatabase::hasFamily(QString::fromLatin1(kDefaultTextFace))) return;
    for (const char* file :
         {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf", "DejaVuSans-BoldOblique.ttf"})
      QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/") +
                                        QString::fromLatin1(file));
  });
}

// A font whose cell (ascent + descent) is at most cellHeight pixels and whose average character is
// cellWidth pixels wide (0: the face's own proportions). Letters are never antialiased, so every
// drawn pixel has the pure text colour.
QFont makeFont(const cWordDIB::Font& desc) {
  ensureDefaultFace();
  const QString face = !desc.face.isEmpty() && QFontDatabase::hasFamily(desc.face)
                           ? desc.face
                           : QString::fromLatin1(kDefaultTextFace);
  QFont font(face);
  font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
  font.setWeight(desc.weight <= 0 ? QFont::Normal : static_cast<QFont::Weight>(std::min(desc.weight, 1000)));
  font.setItalic(desc.italic);
  font.setUnderline(desc.underline);
  font.setStrikeOut(desc.strikeOut);

  if (desc.cellHeight > 0) {
    // A positive height is the whole cell: shrink the em size until the cell fits.
    int size = desc.cellHeight;
    font.setPixelSize(size);
    const int cell = QFontMetrics(font).height();
    if (cell > desc.cellHeight) {
      size = std::max(1, static_cast<int>(static_cast<int64_t>(size) * desc.cellHeight / cell));
      font.setPixelSize(size);
      while (size > 1 && QFontMetrics(font).height() > desc.cellHeight) font.setPixelSize(--size);
    }
  } else {
    font.setPixelSize(desc.cellHeight < 0 ? std::min(-desc.cellHeight, 32767) : kDefaultPixelSize);
  }

  if (desc.cellWidth > 0) {
    const double average = QFontMetricsF(font).averageCharWidth();
    if (average > 0) font.setStretch(std::clamp(roundEven(100.0 * desc.cellWidth / average), 1, 4000));
  }
  return font;
}

// Calls fn(rowA, rowB, bytes) for every row of two buffers of one size, with bytes = 3 x width, so
// that qrix's triples stay on pixel boundaries in every row whatever the row padding is.
template <class Fn>
void eachRow(CDIB& a, CDIB& b, Fn&& fn) {
  const int64_t stride = a.SRB();
  for (int32_t r = 0; r < a.Height(); ++r)
    fn(a.DIBPointer() + r * stride, b.DIBPointer() + r * stride, 3 * a.Width());
}

}  // namespace

void PlaceTextByCode(int32_t MyDire, int32_t W, int32_t H, int32_t tw, int32_t th, int32_t& x, int32_t& y) {
  const int32_t dx = W - tw, dy = H - th;
  switch (MyDire) {
    case 2:
      x = 0, y = dy / 2;
      break;
    case 3:
      x = 0, y = dy;
      break;
    case 4:
      x = dx / 2, y = 0;
      break;
    case 5:
      x = dx / 2, y = dy / 2;
      break;
    case 6:
      x = dx / 2, y = dy;
      break;
    case 7:
      x = dx, y = 0;
      break;
    case 8:
      x = dx, y = dy / 2;
      break;
    case 9:
      x = dx, y = dy;
      break;
    default:
      x = 0, y = 0;
      break;
  }
  x = std::max(x, 0);
  y = std::max(y, 0);
}

void PlaceTextByPercent(float X, float Y, bool KeepArea, int32_t W, int32_t H, int32_t tw, int32_t th,
                        int32_t& x, int32_t& y) {
  x = roundEven(X / 100.0f * static_cast<float>(W));
  y = roundEven(Y / 100.0f * static_cast<float>(H));
  if (KeepArea) {
    if (int64_t{x} + tw >= W) x = W - tw;
    if (int64_t{y} + th >= H) y = H - th;
  }
  x = std::max(x, 0);
  y = std::max(y, 0);
}

int32_t cWordDIB::DrawText(CDIB& buffer, const QString& text, int32_t left, int32_t top, const Font& font,
                           int32_t colour, bool measure) {
  rect_ = Rect{left, top, buffer.Width(), buffer.Height()};
  const QFont qfont = makeFont(font);
  if (measure) return QFontMetrics(qfont).horizontalAdvance(text);
  if (buffer.DIBPointer() == nullptr || text.isEmpty()) return 0;

  QImage canvas = buffer.ToQImage().convertToFormat(QImage::Format_RGB32);
  if (canvas.isNull()) return 0;
  {
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(qfont);
    painter.setPen(QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff));
    const QRect area(rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top);
    painter.setClipRect(area);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  }
  buffer.Clone(canvas);
  return 0;
}

void cWordDIB::BoxSize(const QString& strDraw, int32_t cellWidth, int32_t cellHeight, const QString& FontName,
                       int32_t Weight, bool Italic, int32_t& boxWidth, int32_t& boxHeight) {
  if (cellWidth <= 0) {
    // Let the font choose the cell width, then size the box by it.
    Font desc;
    desc.face = FontName;
    desc.cellHeight = cellHeight;
    desc.weight = Weight;
    desc.italic = Italic;
    cellWidth = QFontMetrics(makeFont(desc)).averageCharWidth();
  }
  boxWidth = roundEven(static_cast<double>(strDraw.size()) * cellWidth * kBoxScale);
  boxHeight = roundEven(cellHeight * kBoxScale);
}

bool cWordDIB::Place(CDIB& xDIB, const QString& strDraw, int32_t MyDire, float X, float Y, bool KeepArea,
                     const Font& font, int32_t& x, int32_t& y) {
  if (strDraw.isEmpty() || xDIB.DIBPointer() == nullptr) return false;
  CDIB scratch;
  scratch.Create(1, 1);
  const int32_t tw = DrawText(scratch, strDraw, 0, 0, font, 0, true);
  scratch.Cls();
  const int32_t th = font.cellHeight;
  if (MyDire == 10)
    PlaceTextByPercent(X, Y, KeepArea, xDIB.Width(), xDIB.Height(), tw, th, x, y);
  else
    PlaceTextByCode(MyDire, xDIB.Width(), xDIB.Height(), tw, th, x, y);
  return true;
}

void cWordDIB::InsertTextLogo(CDIB& xDIB, const QString& strDraw, int32_t MyDire, float X, float Y,
                              bool KeepArea, int32_t Width, int32_t Height, int32_t Red, int32_t Green,
                              int32_t Blue, const QString& FontName, int32_t, int32_t Weight, bool Italic,
                              bool UnderLine, bool StrickOut, int32_t AlphaBlend) {
  const Font font{FontName, Width, Height, Weight, Italic, UnderLine, StrickOut};
  int32_t x = 0, y = 0;
  if (!Place(xDIB, strDraw, MyDire, X, Y, KeepArea, font, x, y)) return;
  const int32_t colour = (Red & 0xff) | (Green & 0xff) << 8 | (Blue & 0xff) << 16;
  StampColour(xDIB, strDraw, x, y, font, colour, AlphaBlend);
}

void cWordDIB::InsertTextImage(CDIB& xDIB, const QString& strDraw, int32_t MyDire, float X, float Y,
                               bool KeepArea, int32_t Width, int32_t Height, int32_t RGBColor,
                               const QString& FontName, int32_t, int32_t Weight, bool Italic, bool UnderLine,
                               bool StrickOut, int32_t AB, const QString& FileName, CDIB* yDIB) {
  const Font font{FontName, Width, Height, Weight, Italic, UnderLine, StrickOut};
  int32_t x = 0, y = 0;
  if (!Place(xDIB, strDraw, MyDire, X, Y, KeepArea, font, x, y)) return;
  StampPicture(xDIB, strDraw, x, y, font, RGBColor, AB, FileName, yDIB);
}

void cWordDIB::StampColour(CDIB& xDIB, const QString& text, int32_t x, int32_t y, const Font& font,
                           int32_t colour, int32_t blend) {
  if (text.isEmpty()) return;
  int32_t bw = 0, bh = 0;
  BoxSize(text, font.cellWidth, font.cellHeight, font.face, font.weight, font.italic, bw, bh);
  CDIB mask, background;
  if (!mask.Create(bw, bh) || !background.Create(bw, bh)) return;
  background.CloneHDC(xDIB.hDC(), SRCCOPY, x, y);
  DrawText(mask, text, 0, 0, font, colour, false);
  eachRow(mask, background, [&](uint8_t* m, uint8_t* b, int32_t bytes) {
    QRIX(DllMixWord)(m, b, bytes, blend);
    QRIX(DllUnShowBlack)(b, m, bytes);
  });
  background.PaintTo(xDIB.hDC(), x, y, SRCCOPY);
  mask.Cls();
  background.Cls();
}

void cWordDIB::StampPicture(CDIB& xDIB, const QString& text, int32_t x, int32_t y, const Font& font,
                            int32_t colour, int32_t blend, const QString& fileName, CDIB* fill) {
  if (text.isEmpty()) return;
  CDIB work;
  if (fileName.isEmpty()) {
    if (fill == nullptr || fill->DIBPointer() == nullptr || !work.Create(fill->Width(), fill->Height()))
      return;
    work.CloneHDC(fill->hDC(), SRCCOPY, 0, 0);
  } else if (!cFileDIB().MainOpen(fileName, work)) {
    return;
  }
  int32_t bw = 0, bh = 0;
  BoxSize(text, font.cellWidth, font.cellHeight, font.face, font.weight, font.italic, bw, bh);
  if (bw <= 0 || bh <= 0) return;
  if (!cEffectDIB().Zoom(work, bw, bh, false) || work.Width() != bw || work.Height() != bh) return;
  CDIB mask;
  if (!mask.Create(bw, bh)) return;
  QRIX(DllSetBlack)(mask.DIBPointer(), mask.RGBSize());
  DrawText(mask, text, 0, 0, font, colour, false);
  eachRow(mask, work, [](uint8_t* m, uint8_t* w, int32_t bytes) { QRIX(DllFillImage)(m, w, bytes); });
  work.CloneHDC(xDIB.hDC(), SRCCOPY, x, y);
  eachRow(mask, work, [&](uint8_t* m, uint8_t* w, int32_t bytes) {
    QRIX(DllMixWord)(m, w, bytes, blend);
    QRIX(DllUnShowBlack)(w, m, bytes);
  });
  work.PaintTo(xDIB.hDC(), x, y, SRCCOPY);
  mask.Cls();
  work.Cls();
}

}  // namespace orvane
