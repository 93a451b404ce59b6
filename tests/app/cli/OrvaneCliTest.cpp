// orvane-cli as a user runs it: the built executable over generated pictures.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct CliRun {
  int exitCode = -1;
  QString out;
  QString err;
};

CliRun runCli(const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral(ORVANE_BIN_DIR "/orvane-cli"), args);
  CliRun run;
  if (!process.waitForFinished(120000)) return run;
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
  run.err = QString::fromLocal8Bit(process.readAllStandardError());
  return run;
}

// A W x H picture whose pixel (x, y) has red x * 20, green y * 30 and blue 77.
QImage gradient(int w, int h) {
  QImage image(w, h, QImage::Format_RGB888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 20, y * 30, 77));
  return image;
}

class OrvaneCli : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString path(const QString& name) const { return dir.filePath(name); }
  QString write(const QString& name, int w, int h) {
    const QString p = path(name);
    EXPECT_TRUE(gradient(w, h).save(p, "BMP"));
    return p;
  }
  QTemporaryDir dir;
};

}  // namespace

TEST_F(OrvaneCli, ListsEveryOperationWithItsArguments) {
  const CliRun run = runCli({"--list"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(lines.size(), 110 + 13);
  for (const char* want : {"InvertRed", "Brightness:Rpct", "Rotate:Angle", "Zoom:newW,newH,ByRatio",
                           "AdjLevel:RMin,RMax,GMin,GMax,bMin,BMax", "Blinds:Blinds,Reverse,Hor,Bump",
                           "Emboss:GreyScale,Intensity,Direction,xR,xG,xB", "Noise_Reduction_Median",
                           "Canvas:xScale,YScale", "Trapezia:Ratio,Rev,Hor"})
    EXPECT_TRUE(lines.contains(QString::fromLatin1(want))) << want;
}

TEST_F(OrvaneCli, DescribesOneOperationsArgumentsWithRangesAndDefaults) {
  const CliRun run = runCli({"--list=ycbcrBALANCE"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[0], "YCbCrBalance:xy,xcb,xcr");
  EXPECT_EQ(lines[2], "  xcb: a whole number from -32768 to 32767, default 0");
  EXPECT_EQ(runCli({"--list=AdjLevel"}).out.split('\n')[2],
            "  RMax: a whole number from 0 to 255, default 255");
  EXPECT_EQ(runCli({"--list=Zoom"}).out.split('\n')[3], "  ByRatio: true or false, default true");
  const CliRun unknown = runCli({"--list=Frobnicate"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_TRUE(unknown.err.contains("unknown operation 'Frobnicate'")) << unknown.err.toStdString();
}

TEST_F(OrvaneCli, AppliesOperationsInOrderToOnePicture) {
  const QString in = write("in.bmp", 5, 3);  // rows with padding
  const QString out = path("out.bmp");
  const CliRun run = runCli({"--op", "InvertRed", "--op", "Rotate:90", "--op=zoom:200,100,1", "-o", out, in});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("[1/1]")) << run.err.toStdString();

  const QImage result(out);
  ASSERT_FALSE(result.isNull());
  EXPECT_EQ(result.size(), QSize(6, 5));  // turned to 3 x 5, then twice as wide

  // Without the resize the turn is exact: source (x, y) lands at (y, W - 1 - x).
  const QString turned = path("turned.bmp");
  ASSERT_EQ(runCli({"--op", "InvertRed", "--op", "Rotate:90", "-o", turned, in}).exitCode, 0);
  const QImage t(turned);
  ASSERT_EQ(t.size(), QSize(3, 5));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(t.pixel(y, 4 - x), qRgb(255 - x * 20, y * 30, 77)) << x << "," << y;
}

TEST_F(OrvaneCli, BatchGoesOnPastAFailedFile) {
  QDir(dir.path()).mkdir("out");
  const QString a = write("a.bmp", 4, 4);
  const QString b = write("b.bmp", 7, 2);
  const QString broken = path("broken.bmp");
  {
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
  }
  const CliRun run = runCli({"--op", "FlipHor", "-o", path("out"), a, broken, b});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("[2/3]")) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("broken.bmp")) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("1 of 3")) << run.err.toStdString();

  const QImage outA(path("out/a.bmp")), outB(path("out/b.bmp"));
  ASSERT_FALSE(outA.isNull());
  ASSERT_FALSE(outB.isNull());
  EXPECT_FALSE(QFile::exists(path("out/broken.bmp")));
  EXPECT_EQ(outB.size(), QSize(7, 2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(outB.pixel(x, y), qRgb((6 - x) * 20, y * 30, 77));
}

TEST_F(OrvaneCli, RejectsBadCommandLinesBeforeDoingAnything) {
  const QString in = write("in.bmp", 3, 3);
  const QString out = path("out.bmp");
  struct Case {
    QStringList args;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{"--op", "NoSuchThing", "-o", out, in}, "unknown operation 'NoSuchThing'"},
      {{"--op", "Brightness", "-o", out, in}, "Brightness takes 1 argument (Rpct), got 0"},
      {{"--op", "Zoom:1,2", "-o", out, in}, "Zoom takes 3 arguments (newW,newH,ByRatio), got 2"},
      {{"--op", "Brightness:lots", "-o", out, in}, "whole number"},
      {{"--op", "AdjLevel:0,300,0,255,0,255", "-o", out, in}, "between 0 and 255"},
      {{"--op", "Zoom:50,50,maybe", "-o", out, in}, "true or false"},
      {{"-o", out, in, in}, "existing folder"},
      {{in}, "no output"},
      {{"-o", out}, "no input"},
      {{"--frobnicate", "-o", out, in}, "unknown option"},
      {{"--max-pixels", "0", "-o", out, in}, "--max-pixels needs a whole number"},
      {{"--max-pixels=12x", "-o", out, in}, "--max-pixels needs a whole number"},
      {{"-j", "0", "-o", out, in}, "-j needs a number"},
      {{"--threads", "many", "-o", out, in}, "--threads needs a number"},
  };
  for (const Case& c : cases) {
    const CliRun run = runCli(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.message;
    EXPECT_TRUE(run.err.contains(QString::fromLatin1(c.message))) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(out)) << c.message;
  }
}

TEST_F(OrvaneCli, SameNamesInOneBatchDoNotOverwriteEachOther) {
  QDir(dir.path()).mkpath("one");
  QDir(dir.path()).mkpath("two");
  QDir(dir.path()).mkpath("out");
  const QString first = write("one/p.bmp", 3, 2);
  const QString second = write("two/p.bmp", 5, 4);
  const CliRun run = runCli({"-o", path("out"), first, second});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("already written")) << run.err.toStdString();
  EXPECT_EQ(QImage(path("out/p.bmp")).size(), QSize(3, 2));
}

TEST_F(OrvaneCli, ReportsUnreadableInputAndFailedSave) {
  const CliRun missing = runCli({"-o", path("out.bmp"), path("absent.bmp")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.err.contains("absent.bmp: failed: no such file")) << missing.err.toStdString();

  const QString in = write("in.bmp", 3, 3);
  const CliRun unsaved = runCli({"-o", path("no/such/folder/out.bmp"), in});
  EXPECT_EQ(unsaved.exitCode, 1);
  EXPECT_TRUE(unsaved.err.contains("cannot save")) << unsaved.err.toStdString();
  EXPECT_TRUE(unsaved.err.contains("cannot write here: No such file or directory"))
      << unsaved.err.toStdString();
}

// The random filters start from the generator's first state for every file, so a file gives the
// same bytes alone and second in a batch, one file at a time or two at once; lines stay in order.
TEST_F(OrvaneCli, RandomFiltersGiveAFileTheSameBytesWhereverItStandsInABatch) {
  const QString first = write("first.bmp", 9, 5);
  const QString second = write("second.bmp", 7, 6);
  const QString alone = path("alone.bmp");
  const QStringList ops = {"--op", "FastBlur", "--op", "Noise", "--op", "Diffuse:6"};
  ASSERT_EQ(runCli(ops + QStringList{"-o", alone, second}).exitCode, 0);
  QFile aloneFile(alone);
  ASSERT_TRUE(aloneFile.open(QIODevice::ReadOnly));
  const QByteArray expected = aloneFile.readAll();
  for (const char* jobs : {"1", "2"}) {
    const QString folder = QStringLiteral("out") + QLatin1String(jobs);
    QDir(dir.path()).mkdir(folder);
    const CliRun run =
        runCli(ops + QStringList{"-j", jobs, "--threads", "2", "-o", path(folder), first, second});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_LT(run.err.indexOf("[1/2]"), run.err.indexOf("[2/2]")) << run.err.toStdString();
    QFile batched(path(folder + "/second.bmp"));
    ASSERT_TRUE(batched.open(QIODevice::ReadOnly));
    EXPECT_TRUE(batched.readAll() == expected) << "-j " << jobs;
  }
}

// A noisy picture, so that a blur changes every pixel it reaches.
QString writeNoise(const QString& path, int w, int h) {
  QImage image(w, h, QImage::Format_RGB888);
  uint32_t state = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      state = state * 1103515245u + 12345u;
      image.setPixel(x, y, qRgb(state >> 24, (state >> 16) & 255, (state >> 8) & 255));
    }
  EXPECT_TRUE(image.save(path, "BMP"));
  return path;
}

// --region keeps the operations after it inside the rectangle, and inside,
// away from the edge, the bytes are those of a whole-picture run; --crop gives
// the rectangle itself, in order with the operations.
TEST_F(OrvaneCli, RegionAndCropWorkOnTheirRectangle) {
  const QString in = writeNoise(path("in.bmp"), 37, 23);
  ASSERT_EQ(runCli({"--op", "GaussBlur", "-o", path("whole.bmp"), in}).exitCode, 0);
  const CliRun region = runCli({"--region", "10,5,12,7", "--op", "GaussBlur", "-o", path("part.bmp"), in});
  ASSERT_EQ(region.exitCode, 0) << region.err.toStdString();
  const QImage original(in), whole(path("whole.bmp")), part(path("part.bmp"));
  ASSERT_EQ(part.size(), original.size());
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      const bool inside = x >= 10 && x < 22 && y >= 5 && y < 12;
      EXPECT_EQ(part.pixel(x, y), (inside ? whole : original).pixel(x, y)) << x << "," << y;
    }

  const CliRun crop = runCli({"--crop", "3,4,9,6", "--op", "InvertAll", "-o", path("crop.bmp"), in});
  ASSERT_EQ(crop.exitCode, 0) << crop.err.toStdString();
  const QImage cropped(path("crop.bmp"));
  ASSERT_EQ(cropped.size(), QSize(9, 6));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(cropped.pixel(x, y), original.pixel(3 + x, 4 + y) ^ 0x00ffffffu);
}

TEST_F(OrvaneCli, RectanglesThatDoNotFitAreRefusedWithTheReason) {
  const QString in = write("in.bmp", 20, 10);
  for (const char* bad : {"1,2,3", "1,2,3,0", "-1,0,4,4", "1,2,3,4,5", "a,b,c,d"}) {
    const CliRun run = runCli({"--crop", bad, "-o", path("out.bmp"), in});
    EXPECT_EQ(run.exitCode, 2) << bad;
    EXPECT_TRUE(run.err.contains("--crop needs X,Y,W,H")) << run.err.toStdString();
  }
  const CliRun outside = runCli({"--region", "15,5,10,3", "--op", "InvertAll", "-o", path("out.bmp"), in});
  EXPECT_EQ(outside.exitCode, 1);
  EXPECT_TRUE(outside.err.contains("--region: the rectangle 15,5,10,3 lies outside the 20 x 10 picture"))
      << outside.err.toStdString();
  EXPECT_FALSE(QFile::exists(path("out.bmp")));
  // After a crop the region's rectangle is measured on the smaller picture.
  const CliRun shrunk =
      runCli({"--crop", "0,0,8,8", "--region", "5,5,5,5", "--op", "InvertAll", "-o", path("out.bmp"), in});
  EXPECT_EQ(shrunk.exitCode, 1);
  EXPECT_TRUE(shrunk.err.contains("lies outside the 8 x 8 picture")) << shrunk.err.toStdString();
}
