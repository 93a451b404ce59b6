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
#include "SelectionOverlay.h"
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

bool frmStuff::OpenOnWorker(const QString& fileName, const OpenOptions& options, FileReport& report) {
  // Decoded off the window's thread into a picture of its own; a stopped open
  // is abandoned and the current picture never touched.
  // The copy kept for Back to Original is made there too: on the window's
  // thread it held the window for as long as a pass over the whole picture.
  auto loaded = std::make_shared<CDIB>();
  auto original = std::make_shared<CDIB>();
  auto opened = std::make_shared<bool>(false);
  auto result = std::make_shared<FileReport>();
  stoppedOpen_ = !main_.RunWork(QStringLiteral("Opening %1").arg(QFileInfo(fileName).fileName()),
                                [loaded, original, opened, result, fileName, options] {
                                  *opened = cFileDIB().MainOpen(fileName, *loaded, options, *result);
                                  // Without memory for the copy it stays empty: no original to go back to.
                                  if (*opened) original->CopyOf(*loaded);
                                });
  if (stoppedOpen_) return false;
  report = *result;
  if (!*opened) return false;
  CurrentImage().Swap(*loaded);
  OriginalImage().Swap(*original);
  return true;
}

void frmStuff::OpenWithoutAsking(const QString& fileName) {
  try {
    OpenOptions options;  // the default pixel budget, as on the command line
    FileReport report;
    bool opened = false;
    if (!FileExists(fileName)) {
      ShowMessage(QStringLiteral("File doesn't exist!"));
    } else if (OpenOnWorker(fileName, options, report)) {
      opened = true;
    } else if (!stoppedOpen_) {
      // The current picture and its display stay as they were.
      const QString text = QStringLiteral("Failed to open %1: %2").arg(fileName, report.error);
      if (report.error != QLatin1String(kDamaged)) {
        ShowMessage(text);
      } else if (AskOpenAnyway(text)) {
        options.lenient = true;
        opened = OpenOnWorker(fileName, options, report);
        if (!opened && !stoppedOpen_)
          ShowMessage(QStringLiteral("Failed to open %1: %2").arg(fileName, report.error));
      }
    }
    if (opened) {
      main_.FitIfLarger(CurrentImage());
      main_.selectionOverlay()->Clear();  // a new picture starts unselected
      main_.Zoom();
      main_.ZoomCenter();
      main_.EnableOperations();
      QCoreApplication::processEvents();
      History().Clear();
      History().MarkSaved();
      CurrentFileName() = QFileInfo(fileName).absoluteFilePath();
      RecentFiles::Add(fileName);
      RebuildRecentMenu();
      main_.UpdateTitle();
      if (!report.warning.isEmpty())
        ShowMessage(
            QStringLiteral("%1 was opened as far as it could be read: %2").arg(fileName, report.warning));
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
  QString fileName = MyCD.FileName;
  if (fileName.isEmpty()) return false;
  // Without an extension the name takes the one of the type chosen in the dialog.
  // (The name's own suffix: a dot in a folder's name does not count.)
  if (QFileInfo(fileName).suffix().isEmpty()) {
    const QString extension = CommonDialog::FilterExtension(MyCD.Filter, MyCD.FilterIndex);
    if (!extension.isEmpty()) fileName += '.' + extension;
  }
  bool saved = false;
  try {
    // WebP is lossy at a quality too: the same settings dialog asks for it.
    if (SameText(GetExtension(fileName), QStringLiteral("jpg")) ||
        SameText(GetExtension(fileName), QStringLiteral("webp"))) {
      saved = saveJpegWithDialog(fileName);  // the JPEG settings save
    } else {
      // Off the window's thread, but not stoppable: the save is left to finish.
      auto ok = std::make_shared<bool>(false);
      auto result = std::make_shared<FileReport>();
      CDIB* picture = &CurrentImage();  // unchanged while the save runs: picture commands wait
      main_.Work().Run(
          QStringLiteral("Saving"),
          [ok, result, picture, fileName] {
            *ok = cFileDIB().MainSave(fileName, *picture, 75, false, *result);
          },
          false);
      saved = *ok;
      if (!saved) ShowMessage(QStringLiteral("Failed to save! %1").arg(result->error));
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
