#include "FileHelpers.h"

#include <sys/statvfs.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orvane {

bool FileExists(const QString& path) { return !path.isEmpty() && QFileInfo::exists(path); }

QString GetExtension(const QString& path) {
  // Positions 1 and 2 never count: they held the drive in the original paths.
  for (qsizetype i = path.size() - 2; i >= 2; --i) {
    if (path[i] == u'.') return path.mid(i + 1);
  }
  return QString();
}

bool SameText(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

QString GetDrive(const QString& path) {
  if (path.isEmpty()) return QString();
  const QFileInfo target(path);
  const QFileInfo folder(target.absolutePath());
  if (!folder.exists() || !folder.isDir()) return QString();
  return folder.absoluteFilePath();
}

int64_t GetFreeSpace(const QString& folder) {
  if (folder.isEmpty()) return -1;
  struct statvfs info {};
  if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0) return -1;
  const auto free = static_cast<unsigned __int128>(info.f_bavail) * info.f_frsize;
  return free > static_cast<unsigned __int128>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(free);
}

}  // namespace orvane
