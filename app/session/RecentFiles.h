// The pictures opened or saved lately and the folder last used, kept between
// runs in the program's settings.
#pragma once

#include <QString>
#include <QStringList>

namespace orvane {

class RecentFiles {
 public:
  static constexpr int kMostFiles = 8;

  // Newest first.
  static QStringList List();
  // Puts path first (absolute), dropping an older entry of it and the ninth.
  static void Add(const QString& path);
  static void Remove(const QString& path);

  // The folder of the last picture opened or saved; empty before the first.
  static QString LastFolder();
};

}  // namespace orvane
