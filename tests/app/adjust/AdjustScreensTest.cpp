// Not run by the suite: opens panes on a generated picture and saves what the
// windows look like, for looking at them by hand:
//   ORVANE_SHOTS=/tmp/shots xvfb-run -a env QT_QPA_PLATFORM=xcb
//     build/bin/gui_tests --gtest_also_run_disabled_tests --gtest_filter='*DISABLED_Shots*'
// (one command line).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRadialGradient>

#include "Globals.h"
#include "frmAdjust.h"
#include "frmJPEG.h"

namespace {

QImage GeneratedPicture() {
  QImage img(480, 320, QImage::Format_RGB888);
  QPainter p(&img);
  QLinearGradient sky(0, 0, 0, 320);
  sky.setColorAt(0, QColor(40, 90, 200));
  sky.setColorAt(1, QColor(250, 200, 120));
  p.fillRect(img.rect(), sky);
  QRadialGradient sun(340, 110, 70);
  sun.setColorAt(0, Qt::yellow);
  sun.setColorAt(1, QColor(255, 120, 0));
  p.setBrush(sun);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPoint(340, 110), 70, 70);
  p.setBrush(QColor(30, 120, 40));
  p.drawRect(0, 240, 480, 80);
  p.setBrush(QColor(120, 60, 20));
  p.drawRect(80, 150, 30, 100);
  p.setBrush(QColor(20, 160, 60));
  p.drawEllipse(QPoint(95, 140), 55, 45);
  return img;
}

void Wait(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void Shoot(QWidget& w, const QString& name) {
  const QString dir = qEnvironmentVariable("ORVANE_SHOTS", "/tmp");
  w.move(20, 20);
  w.show();
  Wait(400);
  w.grab().save(dir + "/" + name + ".png");
  QProcess::execute("import", {"-window", "root", dir + "/" + name + "-screen.png"});
}

TEST(AdjustScreens, DISABLED_Shots) {
  for (int mode : {1, 3, 5, 6, 12, 21, 25, 26, 29}) {
    orvane::CurrentImage().Clone(GeneratedPicture(), true);
    orvane::frmAdjust dlg;
    dlg.AdjustType = mode;
    dlg.Load();
    Shoot(dlg, QStringLiteral("adjust-%1").arg(mode));
    dlg.reject();
  }
  orvane::frmJPEG jpeg;
  jpeg.Load();
  Shoot(jpeg, "jpeg");
  jpeg.reject();
}

}  // namespace
