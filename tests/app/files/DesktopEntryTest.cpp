#include <gtest/gtest.h>

#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include "cFileDIB.h"

namespace {

// The menu entry must offer Orvane for every kind of file the Open dialog
// accepts; a format added to the dialog without its MIME type here would be
// missing from the desktop's "Open with".
TEST(DesktopEntry, OffersEveryFormatTheOpenDialogAccepts) {
  QFile entry(QStringLiteral(ORVANE_DESKTOP_ENTRY));
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly | QIODevice::Text));
  QSet<QString> offered;
  for (const QString& line : QString::fromUtf8(entry.readAll()).split('\n')) {
    if (line.startsWith(QStringLiteral("MimeType=")))
      for (const QString& type : line.mid(9).split(';', Qt::SkipEmptyParts)) offered.insert(type);
  }
  ASSERT_FALSE(offered.isEmpty());

  // The first pair of the filter lists every supported pattern.
  const QString all = QString::fromLatin1(orvane::kOpenPictureFilter).section('|', 1, 1);
  const QStringList patterns = all.split(';', Qt::SkipEmptyParts);
  ASSERT_GE(patterns.size(), 10);
  const QMimeDatabase mime;
  for (const QString& pattern : patterns) {
    const QMimeType type = mime.mimeTypeForFile("x" + pattern.mid(1), QMimeDatabase::MatchExtension);
    ASSERT_FALSE(type.isDefault()) << pattern.toStdString();
    EXPECT_TRUE(offered.contains(type.name()))
        << pattern.toStdString() << " needs " << type.name().toStdString();
  }
}

}  // namespace
