// Measures the desktop program's display on a 24-megapixel photo: open to the
// picture at Fit against the decode alone, the repaint after each zoom change
// and the memory it takes, and how late the window answers while filters run
// on the worker. Prints a Markdown table. Run with QT_QPA_PLATFORM=offscreen
// (or under a virtual X server); an argument names another JPEG to use.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "Globals.h"
#include "cFileDIB.h"
#include "frmMain.h"
#include "frmStuff.h"

using namespace orvane;

namespace {

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return 0;
}

// A photo-like 6000 x 4000 JPEG: smooth gradients with fine detail.
QString MakePhoto() {
  const QString path = QDir::temp().filePath(QStringLiteral("orvane-display-bench.jpg"));
  if (QFile::exists(path)) return path;
  QImage img(6000, 4000, QImage::Format_RGB888);
  for (int y = 0; y < img.height(); ++y) {
    uchar* p = img.scanLine(y);
    for (int x = 0; x < img.width(); ++x, p += 3) {
      p[0] = uchar((x * x / 97 + y) & 255);
      p[1] = uchar((y * 3 + x / 7) & 255);
      p[2] = uchar(((x ^ y) >> 2) & 255);
    }
  }
  img.save(path, "JPG", 90);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : MakePhoto();
  CommonDialog::SetRunner([&](bool, const QString&, int, int&, QWidget*) { return path; });
  frmMain window;
  window.endProgram = [] {};
  window.resize(1280, 900);
  window.show();
  app.processEvents();

  QElapsedTimer clock;
  clock.start();
  {
    CDIB decoded;
    cFileDIB().MainOpen(path, decoded);
  }
  const qint64 decode = clock.restart();
  window.Stuff().OpenImage();
  window.repaint();
  const qint64 open = clock.elapsed();
  const long pictureMb = long(CurrentImage().ByteCount() >> 20);
  std::printf("| measure | value |\n|---|---|\n");
  std::printf("| picture | %d x %d, %ld MB |\n", CurrentImage().Width(), CurrentImage().Height(), pictureMb);
  std::printf("| decode alone | %lld ms |\n| open to the picture at Fit | %lld ms (%.2f x decode) |\n",
              (long long)decode, (long long)open, double(open) / double(decode));

  const long base = StatusKb("VmRSS:");
  const std::pair<int, const char*> levels[] = {{6, "300 %"}, {12, "800 %"}, {9, "Fit"}, {3, "100 %"},
                                                {0, "25 %"},  {10, "10 %"},  {9, "Fit"}};
  for (const auto& [index, name] : levels) {
    clock.restart();
    window.Stuff().Dispatch(QStringLiteral("mnu_Zoom"), index);
    window.repaint();
    std::printf("| zoom to %s, repainted | %lld ms, memory +%ld MB |\n", name, (long long)clock.elapsed(),
                (StatusKb("VmRSS:") - base) / 1024);
  }

  // A timer due every 20 ms repaints the window; how late it fires is how
  // long the window would take to answer an exposure.
  qint64 latest = 0, due = 0;
  int repaints = 0;
  QElapsedTimer since;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    latest = std::max(latest, since.elapsed() - due);
    window.repaint();
    ++repaints;
    due = since.elapsed() + 20;
  });
  since.start();
  due = 20;
  tick.start(20);
  clock.restart();
  for (int i = 0; i < 4; ++i) {
    window.Stuff().Dispatch(QStringLiteral("mnu_Blur"), 7);  // median
    window.Stuff().Dispatch(QStringLiteral("mnu_Effect_Rotate"), 0);
  }
  tick.stop();
  std::printf("| 4 x (median + rotate) on the worker | %lld ms; %d repaints, latest %lld ms late |\n",
              (long long)clock.elapsed(), repaints, (long long)latest);
  std::printf("| peak memory of the process | %ld MB |\n", StatusKb("VmHWM:") / 1024);
  return 0;
}
