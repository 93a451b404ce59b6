#include "HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QVBoxLayout>

#include "ShellHelpers.h"

namespace orvane {

namespace {
QPointer<HelpWindow>& helpWindow() {
  static QPointer<HelpWindow> window;
  return window;
}
}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Orvane Help"));
  resize(560, 480);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName("helpText");
  text_->setReadOnly(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  find_ = new QLineEdit(this);
  find_->setObjectName("helpFind");
  find_->setPlaceholderText(QStringLiteral("Find in help"));
  find_->setClearButtonEnabled(true);
  status_ = new QLabel(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Find:"), this));
  row->addWidget(find_, 1);
  row->addWidget(status_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(text_, 1);
  // Enter in the find box looks further; it must not close the window as a default button would.
  connect(find_, &QLineEdit::returnPressed, this,
          [this] { status_->setText(FindNext(find_->text()) ? QString() : QStringLiteral("Not found")); });
}

bool HelpWindow::Load(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  text_->setPlainText(QString::fromUtf8(file.readAll()));
  text_->moveCursor(QTextCursor::Start);
  return true;
}

bool HelpWindow::FindNext(const QString& what) {
  if (what.isEmpty()) return false;
  if (text_->find(what)) return true;
  text_->moveCursor(QTextCursor::Start);
  return text_->find(what);
}

void ShowHelpWindow(QWidget* owner) {
  const QString path = HelpFilePath();
  if (!helpWindow()) helpWindow() = new HelpWindow(owner);
  HelpWindow* window = helpWindow();
  if (!window->Load(path)) {
    ShowMessage(QStringLiteral("The help file could not be read: %1").arg(path));
    return;
  }
  window->show();
  window->raise();
  window->activateWindow();
}

HelpWindow* ShownHelpWindow() { return helpWindow(); }

}  // namespace orvane
