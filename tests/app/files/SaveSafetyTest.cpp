// Saving never costs the user a file: links are kept, a full disk or too
// little memory fails cleanly with the old file intact, and an interrupted
// save leaves nothing behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "cFileDIB.h"

using namespace orvane;

namespace {

using testing_support::readFile;
using testing_support::writeFile;

void fillPattern(CDIB& dib, int w, int h, int seed) {
  ASSERT_TRUE(dib.Create(w, h));
  for (int32_t row = 0; row < h; ++row)
    for (int32_t i = 0; i < 3 * w; ++i)
      dib.DIBPointer()[static_cast<size_t>(row) * dib.SRB() + i] = static_cast<uint8_t>(row * 31 + i * seed);
}

QStringList tempFiles(const QString& folder) {
  return QDir(folder).entryList({".orvane-save-*"}, QDir::Files | QDir::Hidden);
}

ino_t inodeOf(const QString& name) {
  struct stat info {};
  return ::stat(name.toLocal8Bit().constData(), &info) == 0 ? info.st_ino : 0;
}

// orvane-cli as a child process, optionally under an address-space limit.
struct Child {
  pid_t pid = -1;
  int errFd = -1;
};

Child startCli(const QStringList& args, rlim_t addressSpace = RLIM_INFINITY) {
  std::vector<std::string> words{ORVANE_BIN_DIR "/orvane-cli"};
  for (const QString& a : args) words.push_back(a.toStdString());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 2);
    ::close(fds[0]);
    const rlimit limit{addressSpace, addressSpace};
    ::setrlimit(RLIMIT_AS, &limit);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  return {pid, fds[0]};
}

// Waits for the child; its raw wait status, and what it wrote to stderr.
int finish(const Child& child, QString* err = nullptr) {
  QByteArray text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(child.errFd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  ::close(child.errFd);
  int status = 0;
  ::waitpid(child.pid, &status, 0);
  if (err != nullptr) *err = QString::fromLocal8Bit(text);
  return status;
}

class SaveSafety : public testing::Test {
 protected:
  QString path(const QString& name) const { return dir.filePath(name); }
  QTemporaryDir dir;
  cFileDIB files;
};

}  // namespace

TEST_F(SaveSafety, LinksAreFollowedAndHardLinksKept) {
  CDIB first, second;
  fillPattern(first, 9, 4, 3);
  fillPattern(second, 9, 4, 5);
  ASSERT_TRUE(files.MainSave(path("real.bmp"), first));
  ASSERT_EQ(::symlink("real.bmp", path("link.bmp").toLocal8Bit().constData()), 0);
  ASSERT_EQ(::symlink("later.bmp", path("dangling.bmp").toLocal8Bit().constData()), 0);
  ASSERT_EQ(::link(path("real.bmp").toLocal8Bit().constData(), path("other.bmp").toLocal8Bit().constData()),
            0);
  const ino_t inode = inodeOf(path("real.bmp"));

  // Through the symbolic link: the file it names changes, the link stays a link.
  ASSERT_TRUE(files.MainSave(path("link.bmp"), second));
  EXPECT_TRUE(QFileInfo(path("link.bmp")).isSymLink());
  CDIB back;
  ASSERT_TRUE(files.MainOpen(path("real.bmp"), back));
  EXPECT_EQ(std::memcmp(back.DIBPointer(), second.DIBPointer(), second.ByteCount()), 0);
  // real.bmp has a second name: it was written in place, so both names still share it.
  EXPECT_EQ(inodeOf(path("real.bmp")), inode);
  EXPECT_EQ(readFile(path("other.bmp")), readFile(path("real.bmp")));

  ASSERT_TRUE(files.MainSave(path("dangling.bmp"), first));
  EXPECT_TRUE(QFileInfo(path("dangling.bmp")).isSymLink());
  EXPECT_TRUE(QFileInfo(path("later.bmp")).isFile());
  EXPECT_TRUE(tempFiles(dir.path()).isEmpty());
}

TEST_F(SaveSafety, ReplacementKeepsTheOwnerAndMode) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs the superuser";
  CDIB picture;
  fillPattern(picture, 5, 5, 7);
  ASSERT_TRUE(files.MainSave(path("owned.tif"), picture));
  const QByteArray name = path("owned.tif").toLocal8Bit();
  ASSERT_EQ(::chown(name.constData(), 12345, 23456), 0);
  ASSERT_EQ(::chmod(name.constData(), 0640), 0);
  ASSERT_TRUE(files.MainSave(path("owned.tif"), picture));
  struct stat info {};
  ASSERT_EQ(::stat(name.constData(), &info), 0);
  EXPECT_EQ(info.st_uid, 12345u);
  EXPECT_EQ(info.st_gid, 23456u);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(SaveSafety, AFullDiskFailsEveryWriterAndKeepsTheOldFile) {
  const QString small = path("small");
  ASSERT_TRUE(QDir().mkpath(small));
  if (::mount("tmpfs", small.toLocal8Bit().constData(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "cannot mount a small file system here";
  struct Unmount {
    QByteArray at;
    ~Unmount() { ::umount(at.constData()); }
  } unmount{small.toLocal8Bit()};
  CDIB tiny, large;
  fillPattern(tiny, 4, 4, 3);
  // Noise that no encoder compresses much: far more than the disk holds.
  ASSERT_TRUE(large.Create(400, 400));
  uint32_t state = 1;
  for (size_t i = 0; i < large.ByteCount(); ++i) {
    state = state * 1664525u + 1013904223u;
    large.DIBPointer()[i] = static_cast<uint8_t>(state >> 24);
  }
  for (const char* name : {"old.bmp", "old.tif", "old.pcx", "old.jpeg"}) {
    SCOPED_TRACE(name);
    const QString target = small + "/" + name;
    ASSERT_TRUE(files.MainSave(target, tiny));
    const QByteArray before = readFile(target);
    FileReport report;
    EXPECT_FALSE(files.MainSave(target, large, 100, false, report));
    EXPECT_EQ(report.error, kDiskFull);
    EXPECT_EQ(readFile(target), before);
    EXPECT_TRUE(tempFiles(small).isEmpty());
  }
}

TEST_F(SaveSafety, TerminatedSaveLeavesNoTemporaryFile) {
  CDIB picture;
  fillPattern(picture, 3000, 2000, 11);
  ASSERT_TRUE(files.MainSave(path("big.bmp"), picture));
  const QString out = path("out");
  ASSERT_TRUE(QDir().mkpath(out));
  const Child child = startCli({"--op", "InvertAll", "-o", out + "/big.tif", path("big.bmp")});
  ASSERT_GT(child.pid, 0);
  bool seen = false;
  while (!seen) {
    if (!tempFiles(out).isEmpty()) {
      seen = true;
      ::kill(child.pid, SIGTERM);
      break;
    }
    int status = 0;
    if (::waitpid(child.pid, &status, WNOHANG) == child.pid) {
      ::close(child.errFd);
      GTEST_SKIP() << "the save ended before it could be interrupted";
    }
    ::usleep(200);
  }
  const int status = finish(child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_TRUE(tempFiles(out).isEmpty());
  EXPECT_FALSE(QFile::exists(out + "/big.tif"));
}

TEST_F(SaveSafety, TooLittleMemoryFailsTheOpenOrSaveAndKeepsTheTarget) {
  // The least address space in which the program converts a small picture,
  // in steps of 32 MB; big pictures then cannot fit beside it.
  CDIB picture;
  fillPattern(picture, 8, 8, 5);
  ASSERT_TRUE(files.MainSave(path("small.pcx"), picture));
  ASSERT_TRUE(writeFile(path("target.bmp"), "the user's file"));
  constexpr rlim_t kStep = rlim_t{32} << 20;
  rlim_t base = 0;
  for (rlim_t limit = 4 * kStep; limit <= 96 * kStep && base == 0; limit += kStep) {
    const int status = finish(startCli({"-o", path("probe.bmp"), path("small.pcx")}, limit));
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) base = limit;
  }
  if (base == 0) GTEST_SKIP() << "the program does not start within 3 GB of address space";

  // Opening: a 6000 x 6000 TIFF needs 108 MB for its picture and 144 MB to decode it.
  fillPattern(picture, 6000, 6000, 1);
  ASSERT_TRUE(files.MainSave(path("large.tif"), picture));
  QString err;
  int status = finish(startCli({"-o", path("target.bmp"), path("large.tif")}, base + kStep), &err);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_TRUE(err.contains("large.tif: failed: not enough memory")) << err.toStdString();
  EXPECT_EQ(readFile(path("target.bmp")), "the user's file");

  // Saving: a 4000 x 4000 PCX opens in 48 MB; a WebP save needs 64 MB more
  // for the encoder's own picture.
  fillPattern(picture, 4000, 4000, 1);
  ASSERT_TRUE(files.MainSave(path("large.pcx"), picture));
  ASSERT_TRUE(writeFile(path("target.webp"), "the user's file"));
  status = finish(startCli({"-o", path("target.webp"), path("large.pcx")}, base + 2 * kStep), &err);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_TRUE(err.contains("not enough memory")) << err.toStdString();
  EXPECT_EQ(readFile(path("target.webp")), "the user's file");
  EXPECT_TRUE(tempFiles(dir.path()).isEmpty());
}
