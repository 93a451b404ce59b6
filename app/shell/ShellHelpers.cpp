#include "ShellHelpers.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "DialogSupport.h"
#include "Globals.h"
#include "HelpWindow.h"
#include "ProgramFiles.h"

namespace orvane {

namespace {
std::function<bool(const QString&)>& openerHook() {
  static std::function<bool(const QString&)> hook;
  return hook;
}
std::function<bool(const QString&)>& openAnywayHook() {
  static std::function<bool(const QString&)> hook;
  return hook;
}
int busyDepth = 0;
}  // namespace

void ShowMessage(const QString& text, const QString& title) {
  DialogWarning(Shell().MainWidget(), text, title);
}

bool AskOpenAnyway(const QString& text) {
  if (openAnywayHook()) return openAnywayHook()(text);
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Orvane"), text, QMessageBox::Cancel,
                  Shell().MainWidget());
  QPushButton* anyway = box.addButton(QStringLiteral("Open anyway"), QMessageBox::AcceptRole);
  box.setDefaultButton(QMessageBox::Cancel);
  box.exec();
  return box.clickedButton() == anyway;
}

void SetOpenAnywayHandler(std::function<bool(const QString&)> handler) {
  openAnywayHook() = std::move(handler);
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
  const auto found = FindProgramFile("Help.txt");
  if (!found.empty()) return QString::fromStdString(found.string());
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Help.txt"));
}

void OpenHelpFile(QWidget* owner) { ShowHelpWindow(owner); }

Qt::CursorShape EdgeCursor(Qt::Edges e) {
  if (e == (Qt::LeftEdge | Qt::TopEdge) || e == (Qt::RightEdge | Qt::BottomEdge)) return Qt::SizeFDiagCursor;
  if (e == (Qt::RightEdge | Qt::TopEdge) || e == (Qt::LeftEdge | Qt::BottomEdge)) return Qt::SizeBDiagCursor;
  if (e & (Qt::LeftEdge | Qt::RightEdge)) return Qt::SizeHorCursor;
  return Qt::SizeVerCursor;
}

}  // namespace orvane
