// The open and save commands of the File menu and the keyboard.
#include <QCoreApplication>
#include <QFileInfo>
#include <exception>

#include "DialogLaunch.h"
#include "FileHelpers.h"
#include "Globals.h"
#include "ShellHelpers.h"
#include "cFileDIB.h"
#include "frmMain.h"
#include "frmStuff.h"

namespace orvane {

void frmStuff::OpenImage() {
  MyCD.FileName = QString();
  MyCD.Filter = QString::fromLatin1(kOpenPictureFilter);
  MyCD.Flags = 2;
  MyCD.ShowOpen(&main_);
  if (MyCD.FileName.isEmpty()) return;
  OpenPictureFile(MyCD.FileName);
}

void frmStuff::OpenPictureFile(const QString& fileName) {
  SetBusy(true);
  main_.setEnabled(false);
  try {
    if (!FileExists(fileName)) {
      ShowMessage(QStringLiteral("File doesn't exist!"));
    } else if (!FileObject().MainOpen(fileName, CurrentImage())) {
      // The current picture and its display stay as they were.
      ShowMessage(QStringLiteral("Failed to open ") + fileName);
    } else {
      main_.Zoom();
      main_.ZoomCenter();
      main_.EnableOperations();
      QCoreApplication::processEvents();
      CDIB& original = OriginalImage();
      CDIB& current = CurrentImage();
      original.Cls();
      original.Create(current.Width(), current.Height());
      original.CloneHDC(current.hDC(), SRCCOPY, 0, 0);
    }
  } catch (const std::exception& e) {
    ShowMessage(QStringLiteral("Opening %1 failed: %2").arg(fileName, QString::fromLocal8Bit(e.what())));
  }
  SetBusy(false);
  main_.setEnabled(true);
}

void frmStuff::SaveImageAs() {
  MyCD.FileName = QString();
  MyCD.Filter = QString::fromLatin1(kSavePictureFilter);
  MyCD.Flags = 3;
  MyCD.ShowSave(&main_);
  QString fileName = MyCD.FileName;
  if (fileName.isEmpty()) return;
  // Without an extension the name takes the one of the type chosen in the dialog.
  // (The name's own suffix: a dot in a folder's name does not count.)
  if (QFileInfo(fileName).suffix().isEmpty()) {
    const QString extension = CommonDialog::FilterExtension(MyCD.Filter, MyCD.FilterIndex);
    if (!extension.isEmpty()) fileName += '.' + extension;
  }
  try {
    if (SameText(GetExtension(fileName), QStringLiteral("jpg"))) {
      saveJpegWithDialog(fileName);  // the JPEG settings save
      return;
    }
    if (!FileObject().MainSave(fileName, CurrentImage(), 75, false))
      ShowMessage(QStringLiteral("Failed to save!"));
  } catch (const std::exception&) {
    ShowMessage(QStringLiteral("Failed to save!"));
  }
}

}  // namespace orvane
