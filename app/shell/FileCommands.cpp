// The open and save commands of the File menu and the keyboard.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <exception>
#include <memory>

#include "DialogLaunch.h"
#include "EditHistory.h"
#include "FileHelpers.h"
#include "Globals.h"
#include "RecentFiles.h"
#include "ShellHelpers.h"
#include "WorkRunner.h"
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

bool frmStuff::OpenOnWorker(const QString& fileName) {
  // Decoded off the window's thread into a picture of its own; a stopped open
  // is abandoned and the current picture never touched.
  auto loaded = std::make_shared<CDIB>();
  auto opened = std::make_shared<bool>(false);
  stoppedOpen_ =
      !main_.RunWork(QStringLiteral("Opening %1").arg(QFileInfo(fileName).fileName()),
                     [loaded, opened, fileName] { *opened = cFileDIB().MainOpen(fileName, *loaded); });
  if (stoppedOpen_ || !*opened) return false;
  CurrentImage().Swap(*loaded);
  return true;
}

void frmStuff::OpenWithoutAsking(const QString& fileName) {
  try {
    if (!FileExists(fileName)) {
      ShowMessage(QStringLiteral("File doesn't exist!"));
    } else if (!OpenOnWorker(fileName)) {
      // The current picture and its display stay as they were.
      if (!stoppedOpen_) ShowMessage(QStringLiteral("Failed to open ") + fileName);
    } else {
      main_.FitIfLarger(CurrentImage());
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
      // Off the window's thread, but not stoppable: the save is left to finish.
      auto ok = std::make_shared<bool>(false);
      CDIB* picture = &CurrentImage();  // unchanged while the save runs: picture commands wait
      main_.Work().Run(
          QStringLiteral("Saving"),
          [ok, picture, fileName] { *ok = cFileDIB().MainSave(fileName, *picture, 75, false); }, false);
      saved = *ok;
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
