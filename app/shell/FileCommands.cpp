// The open and save commands of the File menu and the keyboard.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <exception>

#include "DialogLaunch.h"
#include "EditHistory.h"
#include "FileHelpers.h"
#include "Globals.h"
#include "RecentFiles.h"
#include "SelectionOverlay.h"
#include "ShellHelpers.h"
#include "cFileDIB.h"
#include "frmMain.h"
#include "frmStuff.h"

namespace orvane {

void frmStuff::OpenImage() {
  if (!MayDropPicture()) return;
  MyCD.FileName = QString();
  MyCD.Filter = QString::fromLatin1(kOpenPictureFilter);
  MyCD.Flags = 2;
  MyCD.ShowOpen(&main_);
  if (MyCD.FileName.isEmpty()) return;
  OpenWithoutAsking(MyCD.FileName);
}

void frmStuff::OpenPictureFile(const QString& fileName) {
  if (MayDropPicture()) OpenWithoutAsking(fileName);
}

void frmStuff::OpenWithoutAsking(const QString& fileName) {
  SetBusy(true);
  main_.setEnabled(false);
  try {
    if (!FileExists(fileName)) {
      ShowMessage(QStringLiteral("File doesn't exist!"));
    } else if (!FileObject().MainOpen(fileName, CurrentImage())) {
      // The current picture and its display stay as they were.
      ShowMessage(QStringLiteral("Failed to open ") + fileName);
    } else {
      main_.selectionOverlay()->Clear();  // a new picture starts unselected
      main_.Zoom();
      main_.ZoomCenter();
      main_.EnableOperations();
      QCoreApplication::processEvents();
      CDIB& original = OriginalImage();
      CDIB& current = CurrentImage();
      original.Cls();
      original.Create(current.Width(), current.Height());
      original.CloneHDC(current.hDC(), SRCCOPY, 0, 0);
      History().Clear();
      History().MarkSaved();
      CurrentFileName() = QFileInfo(fileName).absoluteFilePath();
      RecentFiles::Add(fileName);
      RebuildRecentMenu();
      main_.UpdateTitle();
    }
  } catch (const std::exception& e) {
    ShowMessage(QStringLiteral("Opening %1 failed: %2").arg(fileName, QString::fromLocal8Bit(e.what())));
  }
  SetBusy(false);
  main_.setEnabled(true);
}

bool frmStuff::SaveImageAs() {
  // Offered: the current name in its folder, or the last folder used.
  const QString current = CurrentFileName();
  const QString folder = RecentFiles::LastFolder();
  MyCD.FileName = !current.isEmpty()  ? current
                  : !folder.isEmpty() ? QDir(folder).filePath(DisplayName())
                                      : QString();
  MyCD.Filter = QString::fromLatin1(kSavePictureFilter);
  MyCD.Flags = 3;
  MyCD.ShowSave(&main_);
  const QString fileName = MyCD.FileName;
  if (fileName.isEmpty()) return false;
  bool saved = false;
  try {
    if (SameText(GetExtension(fileName), QStringLiteral("jpg"))) {
      saved = saveJpegWithDialog(fileName);  // the JPEG settings save
    } else {
      saved = FileObject().MainSave(fileName, CurrentImage(), 75, false);
      if (!saved) ShowMessage(QStringLiteral("Failed to save!"));
    }
  } catch (const std::exception&) {
    ShowMessage(QStringLiteral("Failed to save!"));
  }
  if (saved) {
    History().MarkSaved();
    CurrentFileName() = QFileInfo(fileName).absoluteFilePath();
    RecentFiles::Add(fileName);
    RebuildRecentMenu();
    main_.UpdateTitle();
  }
  return saved;
}

}  // namespace orvane
