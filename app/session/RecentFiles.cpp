#include "RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace orvane {

namespace {
const char* const kListKey = "recentFiles";
const char* const kFolderKey = "lastFolder";

QSettings settings() { return QSettings(QStringLiteral("Orvane"), QStringLiteral("Orvane")); }
}  // namespace

QStringList RecentFiles::List() { return settings().value(kListKey).toStringList().mid(0, kMostFiles); }

void RecentFiles::Add(const QString& path) {
  const QFileInfo info(path);
  const QString full = info.absoluteFilePath();
  QStringList list = List();
  list.removeAll(full);
  list.prepend(full);
  QSettings s = settings();
  s.setValue(kListKey, list.mid(0, kMostFiles));
  s.setValue(kFolderKey, info.absolutePath());
}

void RecentFiles::Remove(const QString& path) {
  QStringList list = List();
  list.removeAll(path);
  settings().setValue(kListKey, list);
}

QString RecentFiles::LastFolder() { return settings().value(kFolderKey).toString(); }

}  // namespace orvane
