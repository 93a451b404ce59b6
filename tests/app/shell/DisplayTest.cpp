// The image area's display, its zoom, and long work run off the window's thread.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>
#include <atomic>
#include <thread>

#include "MyXPFrm.h"
#include "ShellFixture.h"
#include "WorkRunner.h"
#include "XPTopButtons.h"

namespace {

using orvane::CDIB;
using orvane::CurrentImage;
using orvane::PictureBox;

// A picture whose pixels all differ, with a width whose rows are padded.
void FillPattern(CDIB& image, int w, int h) {
  ASSERT_TRUE(image.Create(w, h));
  QImage q(w, h, QImage::Format_RGB888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      q.setPixelColor(x, y, QColor((x * 37 + y) & 255, (y * 53) & 255, (x * y) & 255));
  image.Clone(q, true);
}

// What a shown pixel must be, from its definition: the mean of the picture
// pixels its area covers, read pixel by pixel from the picture's own image.
QRgb Expected(const QImage& picture, QSize shown, int x, int y) {
  auto span = [](int i, int n, int size) {
    int lo = int(int64_t(i) * size / n), hi = int(int64_t(i + 1) * size / n);
    return std::pair(lo, std::max(hi, lo + 1));
  };
  const auto [x0, x1] = span(x, shown.width(), picture.width());
  const auto [y0, y1] = span(y, shown.height(), picture.height());
  int r = 0, g = 0, b = 0, n = 0;
  for (int py = y0; py < y1; ++py)
    for (int px = x0; px < x1; ++px, ++n) {
      const QColor c = picture.pixelColor(px, py);
      r += c.red();
      g += c.green();
      b += c.blue();
    }
  return qRgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n);
}

int Mismatches(const QImage& got, const QImage& picture, QSize shown, QPoint at) {
  int bad = 0;
  for (int y = 0; y < got.height(); ++y)
    for (int x = 0; x < got.width(); ++x)
      bad += (got.pixel(x, y) & 0xffffff) != (Expected(picture, shown, at.x() + x, at.y() + y) & 0xffffff);
  return bad;
}

// Any part of the picture is painted as the same part of the whole scaled
// picture: reductions, 1:1 and enlargements, on a padded width.
TEST_F(ShellTest, TheVisiblePartIsPaintedAsTheWholeScaledPicture) {
  CDIB picture;
  FillPattern(picture, 157, 93);  // 471 bytes a row: padded
  const QImage whole = picture.ToQImage();
  const QSize sizes[] = {{39, 23}, {101, 60}, {157, 93}, {471, 279}};  // 25 %, a fit, 100 %, 300 %
  for (QSize shown : sizes) {
    SCOPED_TRACE(shown.width());
    for (QRect part : {QRect(QPoint(0, 0), shown), QRect(5, 3, 20, 11), QRect(shown.width() - 9, 1, 9, 17)}) {
      const QImage got = PictureBox::Render(picture, shown, part);
      ASSERT_EQ(got.size(), part.size());
      EXPECT_EQ(Mismatches(got, whole, shown, part.topLeft()), 0);
    }
  }
}

// A large reduction is shared out over threads by bands of rows; it must give
// what strips small enough to be rendered on one thread give (those are
// checked against the definition above).
TEST_F(ShellTest, ALargePartSharedOverThreadsIsPaintedAsInSmallStrips) {
  CDIB picture;
  FillPattern(picture, 3001, 1999);  // 18 MB: more than one thread's share
  const QSize shown(733, 489);
  const QImage whole = PictureBox::Render(picture, shown, QRect(QPoint(0, 0), shown));
  ASSERT_EQ(whole.size(), shown);
  int bad = 0;
  for (int top = 0; top < shown.height(); top += 7) {
    const QRect strip(0, top, shown.width(), std::min(7, shown.height() - top));
    const QImage part = PictureBox::Render(picture, shown, strip);
    for (int y = 0; y < strip.height(); ++y)
      for (int x = 0; x < strip.width(); ++x) bad += part.pixel(x, y) != whole.pixel(x, top + y);
  }
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(Mismatches(whole.copy(300, 200, 5, 5), picture.ToQImage(), shown, {300, 200}), 0);
}

// Through the window: a grab of the picture shows those pixels at 300 %, 25 % and Fit.
TEST_F(ShellTest, TheImageAreaShowsTheScaledPicture) {
  open(writePicture("p.bmp", 1203, 801));  // larger than the area: opens at Fit
  EXPECT_TRUE(main->ZoomFit);
  const QImage whole = CurrentImage().ToQImage();
  const QSize area = main->imageArea()->size();
  EXPECT_TRUE(main->picture()->width() == area.width() || main->picture()->height() == area.height());
  auto check = [&] {
    const QSize shown = main->picture()->size();
    const QPoint at = main->picture()->mapFromParent(QPoint(0, 0));  // the area's corner, in the picture
    const QRect visible = QRect(at, area) & main->picture()->rect();
    const QImage grab = main->picture()->grab(visible).toImage();
    EXPECT_EQ(Mismatches(grab, whole, shown, visible.topLeft()), 0) << shown.width();
  };
  check();
  main->Stuff().Dispatch("mnu_Zoom", 6);  // 300 %
  EXPECT_EQ(main->picture()->size(), QSize(3609, 2403));
  main->picture()->move(-1000, -700);
  check();
  main->Stuff().Dispatch("mnu_Zoom", 0);  // 25 %
  check();
}

TEST_F(ShellTest, ZoomLevelsShortcutsAndTheCheckedEntry) {
  open(writePicture("z.bmp", 200, 100));  // fits: opens at the zoom in use
  EXPECT_FALSE(main->ZoomFit);
  auto checked = [this] {
    QStringList on;
    for (QAction* a : main->Stuff().menu("Zoom")->actions())
      if (a->isChecked()) on << a->text().split(' ').first();
    return on;
  };
  EXPECT_TRUE(main->HandleKey(Qt::Key_Plus, Qt::ControlModifier));
  EXPECT_EQ(main->ZoomPercent, 150);
  EXPECT_EQ(main->picture()->size(), QSize(300, 150));
  EXPECT_EQ(checked(), QStringList{"150%"});
  EXPECT_TRUE(main->HandleKey(Qt::Key_Minus, Qt::ControlModifier));
  EXPECT_TRUE(main->HandleKey(Qt::Key_Minus, Qt::ControlModifier));
  EXPECT_EQ(main->ZoomPercent, 75);
  for (int i = 0; i < 12; ++i) main->HandleKey(Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(main->ZoomPercent, 5);  // the smallest level holds
  EXPECT_EQ(main->picture()->size(), QSize(10, 5));
  for (int i = 0; i < 12; ++i) main->HandleKey(Qt::Key_Equal, Qt::ControlModifier);
  EXPECT_EQ(main->ZoomPercent, 800);
  EXPECT_EQ(checked(), QStringList{"800%"});
  EXPECT_TRUE(main->HandleKey(Qt::Key_0, Qt::ControlModifier));
  EXPECT_TRUE(main->ZoomFit);
  EXPECT_EQ(main->picture()->size(), QSize(200, 100));  // Fit never enlarges
  EXPECT_EQ(checked(), QStringList{"Fit"});
  EXPECT_TRUE(main->statusStrip()->text().endsWith("Fit 100%"));
  EXPECT_TRUE(main->HandleKey(Qt::Key_1, Qt::ControlModifier));
  EXPECT_FALSE(main->ZoomFit);
  EXPECT_EQ(main->ZoomPercent, 100);
  EXPECT_EQ(checked(), QStringList{"100%"});
  main->Stuff().Dispatch("mnu_Zoom", 12);
  EXPECT_EQ(main->picture()->size(), QSize(1600, 800));

  // Zooming keeps the point under the anchor where it is.
  main->ZoomAround(100, QPoint(0, 0));
  main->picture()->move(10, 20);
  main->ZoomAround(200, QPoint(60, 70));  // the picture's (50, 50)
  EXPECT_EQ(main->picture()->pos(), QPoint(60 - 100, 70 - 100));
  // Ctrl + wheel over the area steps up a level.
  QWheelEvent wheel(QPointF(60, 70), QPointF(), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(main->imageArea(), &wheel);
  EXPECT_EQ(main->ZoomPercent, 300);
}

TEST_F(ShellTest, ADoubleClickOnTheTitleBarMaximises) {
  auto doubleClick = [this](QPoint at) {
    QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(at), QPointF(main->frame()->mapToGlobal(at)),
                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main->frame(), &e);
  };
  doubleClick({100, 200});  // below the title bar: nothing
  EXPECT_FALSE(main->windowState() & Qt::WindowMaximized);
  doubleClick({100, 10});
  EXPECT_TRUE(main->windowState() & Qt::WindowMaximized);
  doubleClick({100, 10});
  EXPECT_FALSE(main->windowState() & Qt::WindowMaximized);
  // The maximise button in the title bar does the same, left of help.
  EXPECT_EQ(main->maximizeButton()->pos(), QPoint(448, 0));
  emit main->maximizeButton()->Click();
  EXPECT_TRUE(main->windowState() & Qt::WindowMaximized);
  emit main->maximizeButton()->Click();
  EXPECT_FALSE(main->windowState() & Qt::WindowMaximized);
}

TEST_F(ShellTest, ADragLeavesPartOfThePictureInView) {
  open(writePicture("d.bmp", 100, 80));
  PictureBox* box = main->picture();
  const QSize area = main->imageArea()->size();
  box->MoveWithin(QPoint(-5000, 9000));
  EXPECT_EQ(box->pos(), QPoint(PictureBox::kKeepVisible - 100, area.height() - PictureBox::kKeepVisible));
  box->MoveWithin(QPoint(9000, -5000));
  EXPECT_EQ(box->pos(), QPoint(area.width() - PictureBox::kKeepVisible, PictureBox::kKeepVisible - 80));
}

// While work runs the event loop turns (a timer fires, the window could
// paint); Stop ends the wait at once, and the abandoned work changes nothing.
TEST_F(ShellTest, LongWorkLeavesTheWindowAnsweringAndStopAbandonsIt) {
  std::atomic<bool> release{false};
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++ticks == 3) main->Work().stopButton()->click();
  });
  timer.start(1);
  const auto outcome = main->Work().Run(QStringLiteral("Waiting"), [&release] {
    while (!release) std::this_thread::yield();
  });
  EXPECT_EQ(outcome, orvane::WorkRunner::Outcome::Stopped);
  EXPECT_GE(ticks, 3);
  EXPECT_FALSE(main->Work().Running());
  release = true;

  // Work that throws reports on the window's thread.
  EXPECT_THROW(main->Work().Run(QString(), [] { throw std::runtime_error("no"); }), std::runtime_error);

  // A real filter stopped with Escape: the picture, the undo steps and the title stay.
  open(writePicture("s.bmp", 2600, 2000));
  const QByteArray before(reinterpret_cast<const char*>(CurrentImage().DIBPointer()),
                          CurrentImage().ByteCount());
  QTimer::singleShot(0, main.get(), [this] {
    // Commands other than help and zoom wait meanwhile.
    main->Stuff().Dispatch("mnu_Filter_Invert", 0);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(main->imageArea(), &escape);
  });
  main->Stuff().Dispatch("mnu_Blur", 7);  // the median: long enough to be stopped
  EXPECT_EQ(
      QByteArray(reinterpret_cast<const char*>(CurrentImage().DIBPointer()), CurrentImage().ByteCount()),
      before);
  EXPECT_FALSE(orvane::History().CanUndo());
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_TRUE(main->headFilter()->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
