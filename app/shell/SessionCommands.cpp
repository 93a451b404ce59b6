// The editing session's commands: undo and redo, the clipboard, recent files
// and the question before unsaved changes are dropped.
#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "EditHistory.h"
#include "FileHelpers.h"
#include "Globals.h"
#include "RecentFiles.h"
#include "SelectionOverlay.h"
#include "ShellHelpers.h"
#include "frmMain.h"
#include "frmStuff.h"

namespace orvane {

namespace {

frmStuff::SaveChangesAsker& askerHook() {
  static frmStuff::SaveChangesAsker hook;
  return hook;
}

frmStuff::SaveChangesAnswer askWithMessageBox(const QString& name, QWidget* parent) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Orvane"),
                  QStringLiteral("Save changes to %1?").arg(name), QMessageBox::NoButton, parent);
  QPushButton* save = box.addButton(QStringLiteral("Save"), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
  box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(save);
  box.exec();
  if (box.clickedButton() == save) return frmStuff::SaveChangesAnswer::Save;
  if (box.clickedButton() == discard) return frmStuff::SaveChangesAnswer::Discard;
  return frmStuff::SaveChangesAnswer::Cancel;
}

}  // namespace

void frmStuff::SetSaveChangesAsker(SaveChangesAsker asker) { askerHook() = std::move(asker); }

QString frmStuff::DisplayName() {
  const QString& path = CurrentFileName();
  return path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path).fileName();
}

bool frmStuff::MayDropPicture() {
  if (CurrentImage().DIBPointer() == nullptr || !History().IsModified()) return true;
  const QString name = DisplayName();
  const SaveChangesAnswer answer = askerHook() ? askerHook()(name) : askWithMessageBox(name, &main_);
  switch (answer) {
    case SaveChangesAnswer::Save:
      // A cancelled or failed save keeps everything.
      return SaveImageAs() && !History().IsModified();
    case SaveChangesAnswer::Discard:
      return true;
    case SaveChangesAnswer::Cancel:
      return false;
  }
  return false;
}

void frmStuff::RecordChange(const QString& label) {
  // Without the memory for a step the change still happens; the history is
  // emptied rather than the picture put at risk.
  History().Record(CurrentImage(), label);
  main_.UpdateTitle();
}

void frmStuff::Undo() {
  if (!History().Undo(CurrentImage())) return;
  ChangePic();
}

void frmStuff::Redo() {
  if (!History().Redo(CurrentImage())) return;
  ChangePic();
}

void frmStuff::CopyPicture() {
  if (CurrentImage().DIBPointer() == nullptr) return;
  const QImage picture = CurrentImage().ToQImage();
  if (picture.isNull()) {
    ShowMessage(QStringLiteral("Not enough memory to copy the picture."));
    return;
  }
  QGuiApplication::clipboard()->setImage(picture);
}

void frmStuff::PastePicture() {
  const QImage picture = QGuiApplication::clipboard()->image();
  if (picture.isNull()) {
    ShowMessage(QStringLiteral("The clipboard holds no picture."));
    return;
  }
  if (!MayDropPicture()) return;
  CDIB pasted;
  pasted.Clone(picture, true);
  CDIB original;
  if (pasted.Width() != picture.width() || pasted.Height() != picture.height() || !original.CopyOf(pasted)) {
    ShowMessage(QStringLiteral("Not enough memory for a %1 x %2 picture.")
                    .arg(picture.width())
                    .arg(picture.height()));
    return;
  }
  CurrentImage().Swap(pasted);
  OriginalImage().Swap(original);
  History().Clear();
  History().MarkNeverSaved();
  CurrentFileName().clear();
  main_.FitIfLarger(CurrentImage());
  main_.selectionOverlay()->Clear();  // a new picture starts unselected
  main_.Zoom();
  main_.ZoomCenter();
  main_.EnableOperations();
}

void frmStuff::OpenRecent(int index) {
  const QStringList list = RecentFiles::List();
  if (index < 0 || index >= list.size()) return;
  const QString path = list[index];
  if (!QFileInfo(path).isFile()) {
    RecentFiles::Remove(path);
    RebuildRecentMenu();
    ShowMessage(QStringLiteral("%1 no longer exists; it is removed from the recent files.").arg(path));
    return;
  }
  OpenPictureFile(path);
}

void frmStuff::RebuildRecentMenu() {
  if (recentMenu_ == nullptr) return;
  // The entries may be rebuilt from one of their own clicks: deleted later.
  for (QAction* old : recentMenu_->actions()) {
    recentMenu_->removeAction(old);
    old->deleteLater();
  }
  const QStringList list = RecentFiles::List();
  for (int i = 0; i < list.size(); ++i) {
    QAction* action = recentMenu_->addAction(QStringLiteral("&%1  %2").arg(i + 1).arg(list[i]));
    action->setProperty("array", QStringLiteral("mnu_FileRecent"));
    action->setProperty("index", i);
    QObject::connect(action, &QAction::triggered, recentMenu_,
                     [this, i] { Dispatch(QStringLiteral("mnu_FileRecent"), i); });
  }
  recentMenu_->setEnabled(!list.isEmpty());
}

}  // namespace orvane
