// Saving without losing the old file.
//
// The picture is written to a temporary file beside the file it replaces and
// moved over it only once complete. Symbolic links are followed, so the file
// a link points to is replaced and the link stays. A file with several hard
// links is overwritten in place, after the temporary copy succeeded, so every
// name keeps seeing the same file. A SIGINT or SIGTERM during the save removes
// the temporary file before the process ends.
#pragma once

#include <QByteArray>
#include <QString>

#include "FileReport.h"

namespace orvane {

class SaveTarget {
 public:
  explicit SaveTarget(const QString& path);
  ~SaveTarget();  // removes the temporary file unless it was committed
  SaveTarget(const SaveTarget&) = delete;
  SaveTarget& operator=(const SaveTarget&) = delete;

  // Creates the empty temporary file; false with report.error set.
  bool begin(FileReport& report);
  // Where the encoder writes.
  QString tempName() const;
  // Puts the written temporary file in the target's place; false with
  // report.error set, and the old file unchanged.
  bool commit(FileReport& report);

 private:
  void discard();

  QByteArray target_;  // the file the path leads to, links followed
  QByteArray temp_;
  int slot_ = -1;  // the signal handler's record of temp_
};

}  // namespace orvane
