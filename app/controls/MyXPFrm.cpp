#include "MyXPFrm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <cmath>

#include "LumbraButton.h"
#include "SkinResources.h"

namespace orvane {

namespace {

constexpr int kFallbackBarHeight = 26;

// Stand-ins when the artwork cannot be found, so the frame still reads as a title bar.
QPixmap fallbackPiece(int w) {
  QPixmap pm(w, kFallbackBarHeight);
  QPainter p(&pm);
  QLinearGradient g(0, 0, 0, kFallbackBarHeight);
  g.setColorAt(0, QColor(0, 88, 238));
  g.setColorAt(1, QColor(0, 65, 206));
  p.fillRect(pm.rect(), g);
  return pm;
}

QFont titleFont(int pixelHeight, int charWidth, int weight) {
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(pixelHeight);
  f.setWeight(static_cast<QFont::Weight>(weight));
  // Squeeze or widen towards the requested average character width.
  const int natural = QFontMetrics(f).averageCharWidth();
  if (natural > 0) f.setStretch(std::clamp(charWidth * 100 / natural, 50, 200));
  return f;
}

}  // namespace

MyXPFrm::MyXPFrm(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("MyXPFrm"));
  tile_ = ResourcePixmap(QStringLiteral("titlebar_tile.png"));
  left_ = ResourcePixmap(QStringLiteral("titlebar_left.png"));
  right_ = ResourcePixmap(QStringLiteral("titlebar_right.png"));
  if (tile_.isNull()) tile_ = fallbackPiece(8);
  if (left_.isNull()) left_ = fallbackPiece(8);
  if (right_.isNull()) right_ = fallbackPiece(8);
  startMove = [](QWidget* window) {
    QWindow* handle = window->windowHandle();
    return handle != nullptr && handle->startSystemMove();
  };
  repaintFrame();
}

int MyXPFrm::titleBarHeight() const { return tile_.height(); }

void MyXPFrm::SetCaption(const QString& programName, const QString& version) {
  programName_ = programName;
  version_ = version;
}

void MyXPFrm::Caption(const QString& programName, const QString& version) {
  const bool changed = programName != programName_ || version != version_;
  SetCaption(programName, version);
  if (drawing_.isNull()) return;
  // A different text is drawn on a fresh frame, so that no letter of the old one stays.
  if (changed) {
    repaintFrame();
    return;
  }
  QPainter p(&drawing_);
  drawTitle(p);
  p.end();
  update();
}

void MyXPFrm::resizeEvent(QResizeEvent*) { repaintFrame(); }

void MyXPFrm::repaintFrame() {
  const int w = std::max(width(), 1), h = std::max(height(), 1);
  drawing_ = QPixmap(w, h);
  drawing_.fill(QColor(25, 118, 218));
  QPainter p(&drawing_);
  QPen pen(QColor::fromRgb(kBorderColour));
  pen.setWidth(4);
  p.setPen(pen);
  p.drawLine(0, 0, 0, h);
  p.drawLine(w - 1, 0, w - 1, h);
  p.drawLine(0, h - 1, w, h - 1);
  const int tw = std::max(tile_.width(), 1);
  for (int n = 0; n <= w / tw + 3; ++n) p.drawPixmap(n * tw, 0, tile_);
  p.drawPixmap(0, 0, left_);
  p.drawPixmap(w - right_.width(), 0, right_);
  drawTitle(p);
  p.end();
  update();
}

void MyXPFrm::drawTitle(QPainter& p) const {
  // The text boxes are as high as their fonts (ascent and descent) so that
  // descenders are not cut off; the name is the largest size up to 19 pixels
  // whose full height and shadow fit the title bar, and the small text shares
  // its baseline.
  const int bar = std::max(titleBarHeight(), 1);
  QFont nameFont = titleFont(19, 10, 800);
  for (int px = 18; px >= 8 && QFontMetrics(nameFont).height() + 2 > bar; --px)
    nameFont = titleFont(px, 10, 800);
  const QFontMetrics nameMetrics(nameFont);
  const int top = std::max(0, (bar - 2 - nameMetrics.height()) / 2);
  const QRect box(5, top, std::max(width() - 5, 1), nameMetrics.height());
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
  p.setBackgroundMode(Qt::TransparentMode);
  if (!programName_.isEmpty()) {
    p.setFont(nameFont);
    p.setPen(Qt::black);
    p.drawText(box.translated(2, 2), flags, programName_);
    p.setPen(Qt::white);
    p.drawText(box, flags, programName_);
  }
  if (!version_.isEmpty()) {
    const QFont smallFont = titleFont(10, 6, 400);
    const QFontMetrics smallMetrics(smallFont);
    QRect vbox(box.left(), box.top() + nameMetrics.ascent() - smallMetrics.ascent(), box.width(),
               smallMetrics.height());
    // The small text follows the name at 6.7 pixels a character, but never over the bold
    // name itself when the face drawn is wider than that.
    const int byCharacters = static_cast<int>(std::lround(programName_.size() * 6.7 + 3));
    const int nameEnd = box.left() + 2 + nameMetrics.horizontalAdvance(programName_.trimmed());
    vbox.setLeft(programName_.trimmed().isEmpty() ? byCharacters : std::max(byCharacters, nameEnd + 4));
    p.setFont(smallFont);
    p.setPen(Qt::black);
    p.drawText(vbox.translated(1, 1), flags, version_);
    p.setPen(Qt::white);
    p.drawText(vbox, flags, version_);
  }
}

void MyXPFrm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, drawing_);
}

void MyXPFrm::mousePressEvent(QMouseEvent* event) {
  QWidget* win = window();
  const bool normal =
      !(win->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
  if (normal && event->button() == Qt::LeftButton) {
    if (QWidget::mouseGrabber() != nullptr) QWidget::mouseGrabber()->releaseMouse();
    if (startMove) startMove(win);
    QCoreApplication::processEvents();
  }
  const QPoint pos = event->position().toPoint();
  emit MouseDown(ButtonCode(event->button()), ShiftMask(event->modifiers()), pos.x(), pos.y());
}

void MyXPFrm::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const int button = ButtonMask(event->buttons());
  emit MouseMove(button, ShiftMask(event->modifiers()), pos.x(), pos.y());
}

void MyXPFrm::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  emit MouseUp(ButtonCode(event->button()), ShiftMask(event->modifiers()), pos.x(), pos.y());
}

}  // namespace orvane
