// orvane-cli's text stamping, run as a user would run it.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace {

struct CliRun {
  int exitCode = -1;
  QString errors;
};

CliRun runCli(const QStringList& args) {
  QProcess cli;
  cli.start(QStringLiteral(ORVANE_BIN_DIR "/orvane-cli"), args);
  CliRun r;
  if (!cli.waitForFinished(-1)) return r;
  r.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
  r.errors = QString::fromLocal8Bit(cli.readAllStandardError());
  return r;
}

class CliText : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    QImage grey(120, 60, QImage::Format_RGB888);
    grey.fill(QColor(90, 90, 90));
    ASSERT_TRUE(grey.save(path("in.bmp")));
    QImage green(5, 5, QImage::Format_RGB888);
    green.fill(QColor(0, 200, 0));
    ASSERT_TRUE(green.save(path("fill.bmp")));
  }
  QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

  // Stamps with the given text options and returns the saved picture.
  QImage stamp(const QStringList& textArgs) {
    const CliRun r = runCli(textArgs + QStringList{"-o", path("out.bmp"), path("in.bmp")});
    EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
    return QImage(path("out.bmp")).convertToFormat(QImage::Format_RGB888);
  }

  // Changed pixels, each of which must have the given colour; also their bounding box.
  int letters(const QImage& img, QColor colour, QRect* box = nullptr) {
    int count = 0;
    QRect bounds;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QColor c = img.pixelColor(x, y);
        if (c == QColor(90, 90, 90)) continue;
        ++count;
        bounds |= QRect(x, y, 1, 1);
        EXPECT_EQ(c, colour) << x << "," << y;
      }
    if (box) *box = bounds;
    return count;
  }

  QTemporaryDir dir_;
};

TEST_F(CliText, BadTextOptionsAreUsageErrors) {
  const QStringList bad[] = {
      {"--text-at", "3"},                      // before any --text
      {"--text", "A", "--text-at", "0"},       // codes are 1..9
      {"--text", "A", "--text-at", "x,5"},     // percentages must be numbers
      {"--text", "A", "--text-blend", "101"},  // 0..100
      {"--text", "A", "--text-color", "1,2"},  // three components
      {"--text", "A", "--text-color", "#12345g"},
      {"--text", "A", "--text-size", "8,0"},  // a cell needs a height
      {"--text", "A", "--text-bold=yes"},
      {"--text"},
  };
  for (const QStringList& args : bad) {
    const CliRun r = runCli(args + QStringList{"-o", path("bad.bmp"), path("in.bmp")});
    EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
  }
  EXPECT_TRUE(QImage(path("bad.bmp")).isNull());
}

TEST_F(CliText, ColourBlendAndPlacement) {
  QRect box;
  const QImage centred =
      stamp({"--text", "Hi", "--text-at", "5", "--text-color", "#ff0000", "--text-size", "10,20"});
  EXPECT_GT(letters(centred, QColor(255, 0, 0), &box), 10);
  EXPECT_GT(box.left(), 40);
  EXPECT_LT(box.right(), 80);
  EXPECT_GE(box.top(), 20);

  const QImage half = stamp(
      {"--text", "Hi", "--text-at=5", "--text-color=255,0,0", "--text-size=10,20", "--text-blend", "50"});
  EXPECT_GT(letters(half, QColor(172, 45, 45)), 10);
  EXPECT_EQ(letters(stamp({"--text", "Hi", "--text-blend", "0"}), QColor()), 0);

  // Percentages with keep-area pull the text back inside the bottom-right corner.
  const QImage kept = stamp({"--text", "Hi", "--text-at", "95,95", "--text-keep", "--text-size", "10,20"});
  EXPECT_GT(letters(kept, QColor(255, 255, 255), &box), 10);
  EXPECT_GT(box.left(), 90);
  EXPECT_GE(box.top(), 40);

  // Two stamps in one run, the second bold and underlined.
  const QImage both = stamp({"--text", "A", "--text-at", "1", "--text", "B", "--text-at", "9", "--text-bold",
                             "--text-underline", "--text-font", "No Such Face"});
  letters(both, QColor(255, 255, 255), &box);
  EXPECT_LT(box.left(), 10);
  EXPECT_GT(box.right(), 100);
}

TEST_F(CliText, PictureFill) {
  QRect box;
  const QImage filled = stamp({"--text", "Fill", "--text-size", "9,24", "--text-fill", path("fill.bmp")});
  EXPECT_GT(letters(filled, QColor(0, 200, 0), &box), 10);

  const CliRun r =
      runCli({"--text", "Fill", "--text-fill", path("missing.bmp"), "-o", path("x.bmp"), path("in.bmp")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errors.contains("fill picture")) << r.errors.toStdString();
}

}  // namespace
