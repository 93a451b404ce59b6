// Writes the fuzzers' seed corpora into <folder>/pcx, <folder>/tiff, <folder>/open,
// <folder>/png and <folder>/webp.
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include "SamplePictures.h"
#include "cFileDIB.h"

using namespace orvane;

namespace {

bool put(const QString& name, const QByteArray& bytes) {
  QFile f(name);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray slurp(const QString& name) {
  QFile f(name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
    return 2;
  }
  const QDir root(QString::fromLocal8Bit(argv[1]));
  for (const char* sub : {"pcx", "tiff", "open", "png", "webp"})
    if (!root.mkpath(sub)) return 1;

  cFileDIB files;
  const QString scratch = root.filePath("scratch");
  struct Size {
    int w, h;
  };
  bool ok = true;
  for (const Size s : {Size{1, 1}, Size{3, 2}, Size{8, 5}}) {
    CDIB picture;
    if (!picture.Create(s.w, s.h)) return 1;
    picture.Clone(sample_pictures::gradient(s.w, s.h));
    const QString tag = QString("%1x%2").arg(s.w).arg(s.h);
    for (const char* ext : {"pcx", "tif", "bmp", "jpg"}) {
      ok = ok && files.MainSave(scratch + "." + ext, picture);
      const QByteArray bytes = slurp(scratch + "." + ext);
      const int selector = QByteArray("bmp jpg gif ico wmf emf tif pcx").indexOf(ext) / 4;
      ok = ok && put(root.filePath(QString("open/%1-%2").arg(ext, tag)), char(selector) + bytes);
      if (QByteArray(ext) == "pcx") ok = ok && put(root.filePath("pcx/" + tag), bytes);
      if (QByteArray(ext) == "tif") ok = ok && put(root.filePath("tiff/" + tag), bytes);
      QFile::remove(scratch + "." + ext);
    }
  }
  ok = ok && put(root.filePath("open/gif"), char(2) + sample_pictures::twoFrameGif());
  ok = ok && put(root.filePath("open/ico"), char(3) + sample_pictures::twoSizeIcon());
  ok = ok && put(root.filePath("open/wmf"), char(4) + sample_pictures::redRectangleWmf());
  ok = ok && put(root.filePath("open/emf"), char(5) + sample_pictures::redRectangleEmf());

  // PNG: our own 24-bit writer, and Qt's for alpha, palette, grey and 16 bits.
  // WebP: lossy, lossless and grey from our writer.
  CDIB picture;
  if (!picture.Create(9, 6)) return 1;
  picture.Clone(sample_pictures::gradient(9, 6));
  ok = ok && files.MainSave(scratch + ".png", picture) &&
       put(root.filePath("png/rgb"), slurp(scratch + ".png"));
  for (const int quality : {50, 100}) {
    ok = ok && files.MainSave(scratch + ".webp", picture, static_cast<int16_t>(quality)) &&
         put(root.filePath(QString("webp/q%1").arg(quality)), slurp(scratch + ".webp"));
  }
  ok = ok && files.MainSave(scratch + ".webp", picture, 80, true) &&
       put(root.filePath("webp/grey"), slurp(scratch + ".webp"));
  QFile::remove(scratch + ".png");
  QFile::remove(scratch + ".webp");
  const QImage gradient = sample_pictures::gradient(9, 6);
  QImage alpha = gradient.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < alpha.height(); ++y)
    for (int x = 0; x < alpha.width(); ++x)
      alpha.setPixelColor(x, y, QColor(x * 20, y * 30, 90, x * 25 + 10));
  const std::pair<const char*, QImage> pngs[] = {
      {"png/alpha", alpha},
      {"png/palette", gradient.convertToFormat(QImage::Format_Indexed8)},
      {"png/grey", gradient.convertToFormat(QImage::Format_Grayscale8)},
      {"png/deep", gradient.convertToFormat(QImage::Format_RGBA64)},
      {"png/mono", gradient.convertToFormat(QImage::Format_Mono)},
  };
  for (const auto& [name, image] : pngs)
    ok = ok && put(root.filePath(name), sample_pictures::encode(image, "png"));

  // Paths that only crafted files reach: a codec that is refused, and many scans.
  const QByteArray jbig = sample_pictures::stripTiff(4, 2, 34661, QByteArray(24, '\x40'));
  ok = ok && put(root.filePath("tiff/jbig"), jbig) && put(root.filePath("open/jbig"), char(6) + jbig);
  ok = ok && put(root.filePath("open/progressive-jpg"), char(1) + sample_pictures::progressiveJpeg(40, 30));
  return ok ? 0 : 1;
}
