#include "SaveTarget.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <random>

namespace orvane {

namespace {

// The temporary files in the making, for the signal handler. Fixed storage:
// the handler may only read memory and call async-signal-safe functions.
constexpr int kSlots = 64;
enum SlotState : int { kFree = 0, kFilling = 1, kArmed = 2 };
char g_tempNames[kSlots][PATH_MAX];
std::atomic<int> g_slotState[kSlots];
struct sigaction g_previousInt {
}, g_previousTerm{};

void removeTempFilesOnSignal(int signal) {
  for (int i = 0; i < kSlots; ++i)
    if (g_slotState[i].load() == kArmed) ::unlink(g_tempNames[i]);
  const struct sigaction& previous = signal == SIGINT ? g_previousInt : g_previousTerm;
  if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
    return;
  }
  // Otherwise end as the signal would have ended the process.
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void installHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    static_assert(std::atomic<int>::is_always_lock_free);
    for (int sig : {SIGINT, SIGTERM}) {
      struct sigaction& previous = sig == SIGINT ? g_previousInt : g_previousTerm;
      if (::sigaction(sig, nullptr, &previous) != 0) continue;
      if (previous.sa_handler == SIG_IGN || (previous.sa_flags & SA_SIGINFO)) continue;  // left as it is
      struct sigaction action {};
      action.sa_handler = removeTempFilesOnSignal;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_RESTART;
      ::sigaction(sig, &action, nullptr);
    }
  });
}

int armSlot(const QByteArray& name) {
  if (name.size() >= PATH_MAX) return -1;
  installHandlers();
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!g_slotState[i].compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(g_tempNames[i], name.constData(), static_cast<size_t>(name.size()) + 1);
    g_slotState[i].store(kArmed);
    return i;
  }
  return -1;  // more saves at once than slots: this one is not guarded
}

void disarmSlot(int slot) {
  if (slot >= 0) g_slotState[slot].store(kFree);
}

// Follows symbolic links (a dangling one included) to the name of the file
// that a save must replace.
QByteArray followLinks(QByteArray path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof buffer)) return path;
    QByteArray link(buffer, n);
    if (!link.startsWith('/')) link = path.left(path.lastIndexOf('/') + 1) + link;
    path = link;
  }
  return path;
}

bool writeAll(int fd, const char* data, size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, data, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

// Copies the finished file over the target's own contents. The space is
// reserved first, so a full disk fails before the old contents are touched.
bool overwriteInPlace(const QByteArray& from, const QByteArray& to, FileReport& report) {
  const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
  const int out = in < 0 ? -1 : ::open(to.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat info {};
  bool ok = in >= 0 && out >= 0 && ::fstat(in, &info) == 0;
  int error = errno;
  if (ok && info.st_size > 0) {
    const int reserved = ::posix_fallocate(out, 0, info.st_size);
    if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
      ok = false;
      error = reserved;
    }
  }
  char buffer[1 << 16];
  while (ok) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) break;
    if (n < 0 || !writeAll(out, buffer, static_cast<size_t>(n))) {
      ok = false;
      error = errno;
    }
  }
  if (ok && (::ftruncate(out, info.st_size) != 0 || ::fsync(out) != 0)) {
    ok = false;
    error = errno;
  }
  if (out >= 0 && ::close(out) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (in >= 0) ::close(in);
  if (!ok) report.error = WriteFailureReason(error);
  return ok;
}

}  // namespace

SaveTarget::SaveTarget(const QString& path) : target_(followLinks(QFile::encodeName(path))) {}

SaveTarget::~SaveTarget() { discard(); }

void SaveTarget::discard() {
  if (temp_.isEmpty()) return;
  ::unlink(temp_.constData());
  disarmSlot(slot_);
  slot_ = -1;
  temp_.clear();
}

QString SaveTarget::tempName() const { return QFile::decodeName(temp_); }

bool SaveTarget::begin(FileReport& report) {
  struct stat info {};
  if (::stat(target_.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
    report.error = kNotAFile;
    return false;
  }
  const QByteArray folder = target_.left(target_.lastIndexOf('/') + 1);
  // Created with 0666 so that the umask gives a new file its usual mode.
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QByteArray name = folder + ".orvane-save-" + QByteArray::number(::getpid()) + "-" +
                            QByteArray::number(counter++) + "-" + QByteArray::number(random(), 36);
    // Armed before the file exists: a signal between the two finds nothing to remove.
    const int slot = armSlot(name);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      temp_ = name;
      slot_ = slot;
      return true;
    }
    const int error = errno;
    disarmSlot(slot);
    if (error != EEXIST) {
      report.error = WriteFailureReason(error);
      return false;
    }
  }
  report.error = WriteFailureReason(EEXIST);
  return false;
}

bool SaveTarget::commit(FileReport& report) {
  struct stat existing {};
  const bool exists = ::stat(target_.constData(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    report.error = kNotAFile;
    return false;
  }
  if (exists && existing.st_nlink > 1) {
    if (!overwriteInPlace(temp_, target_, report)) return false;
    discard();
    return true;
  }
  if (exists) {
    // The replacement keeps the old file's owner where this process may set
    // it (the group as a member, both as the superuser) and its mode.
    if (::chown(temp_.constData(), existing.st_uid, existing.st_gid) != 0)
      (void)::chown(temp_.constData(), static_cast<uid_t>(-1), existing.st_gid);
    ::chmod(temp_.constData(), existing.st_mode & 07777);
  }
  if (::rename(temp_.constData(), target_.constData()) != 0) {
    report.error = WriteFailureReason(errno);
    return false;
  }
  disarmSlot(slot_);
  slot_ = -1;
  temp_.clear();
  return true;
}

}  // namespace orvane
