#include "ShellHelpers.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QUrl>

#include "DialogSupport.h"
#include "Globals.h"
#include "HelpWindow.h"

namespace orvane {

namespace {
std::function<bool(const QString&)>& openerHook() {
  static std::function<bool(const QString&)> hook;
  return hook;
}
int busyDepth = 0;
}  // namespace

void ShowMessage(const QString& text, const QString& title) {
  DialogWarning(Shell().MainWidget(), text, title);
}

void SetBusy(bool busy) {
  // Balanced so that a second "busy" before "done" cannot leave the hourglass behind.
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth;
  } else {
    while (busyDepth > 0) {
      QGuiApplication::restoreOverrideCursor();
      --busyDepth;
    }
  }
}

void SetShellOpener(std::function<bool(const QString&)> opener) { openerHook() = std::move(opener); }

bool ShellOpen(const QString& pathOrAddress, QWidget*) {
  if (openerHook()) return openerHook()(pathOrAddress);
  const QUrl url = QUrl::fromUserInput(pathOrAddress, QDir::currentPath(), QUrl::AssumeLocalFile);
  return QDesktopServices::openUrl(url);
}

QString HelpFilePath() {
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Help.txt"));
}

void OpenHelpFile(QWidget* owner) { ShowHelpWindow(owner); }

}  // namespace orvane
