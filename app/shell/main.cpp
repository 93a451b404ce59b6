// Orvane: the desktop image-filter program.
#include <QApplication>
#include <QTimer>

#include "ProgramFilesCheck.h"
#include "frmMain.h"
#include "frmStuff.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Orvane"));
  // Ties the window to the installed menu entry and its icon.
  QApplication::setDesktopFileName(QStringLiteral("org.orvane.Orvane"));
  orvane::frmMain main;
  if (QApplication::arguments().value(1) == QStringLiteral("--check-files")) {
    return orvane::CheckProgramFiles(stdout);
  }
  main.show();
  // A picture named on the command line opens as if chosen in the Open dialog.
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) {
    const QString file = args.at(1);
    QTimer::singleShot(0, &main, [&main, file] { main.Stuff().OpenPictureFile(file); });
  }
  const int result = app.exec();
  // The program ends at once: no other form gets further events.
  return result;
}
