// A main window with every outside effect replaced by a recorder: dialogs,
// messages, sounds, the desktop opener and the program's end.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "DialogLaunch.h"
#include "DialogSupport.h"
#include "EditHistory.h"
#include "Globals.h"
#include "LumbraButton.h"
#include "ShellHelpers.h"
#include "SkinResources.h"
#include "frmMain.h"
#include "frmStuff.h"

class ShellTest : public testing::Test {
 protected:
  void SetUp() override {
    orvane::CurrentImage().Create(0, 0);
    orvane::OriginalImage().Create(0, 0);
    QSettings(QStringLiteral("Orvane"), QStringLiteral("Orvane")).clear();  // no recent files
    orvane::History().Clear();
    orvane::History().MarkSaved();
    orvane::CurrentFileName().clear();
    orvane::frmStuff::SetSaveChangesAsker([this](const QString& name) {
      asked << name;
      return saveChangesAnswer;
    });
    orvane::SetSoundPlayer([](const QString&) {});
    orvane::SetDialogWarningHandler([this](const QString& text, const QString& title) {
      messages << text;
      titles << title;
    });
    orvane::SetAdjustDialogLauncher([this](int mode) { adjustModes << mode; });
    orvane::SetJpegDialogLauncher([this](const QString& path) { jpegPaths << path; });
    orvane::SetShellOpener([this](const QString& what) {
      opened << what;
      return true;
    });
    orvane::LumbraButton::SetUrlOpener([this](const QString& url, bool viaShell) {
      urls << (viaShell ? "shell:" : "web:") + url;
      return urlsOpen;
    });
    orvane::CommonDialog::SetRunner(
        [this](bool save, const QString& filter, int flags, int& filterIndex, QWidget*) {
          dialogs << QStringLiteral("%1 %2 %3").arg(save ? "save" : "open").arg(flags).arg(filter);
          filterIndex = typeAnswer;
          return answer;
        });
    main = std::make_unique<orvane::frmMain>();
    main->endProgram = [this] { ++ends; };
  }

  void TearDown() override {
    main.reset();
    orvane::SetSoundPlayer(nullptr);
    orvane::SetDialogWarningHandler(nullptr);
    orvane::SetAdjustDialogLauncher(nullptr);
    orvane::SetJpegDialogLauncher(nullptr);
    orvane::SetShellOpener(nullptr);
    orvane::LumbraButton::SetUrlOpener(nullptr);
    orvane::CommonDialog::SetRunner(nullptr);
    orvane::frmStuff::SetSaveChangesAsker(nullptr);
    orvane::CurrentImage().Create(0, 0);
    orvane::OriginalImage().Create(0, 0);
  }

  // A w x h picture file whose pixels depend on their place.
  QString writePicture(const QString& name, int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        img.setPixelColor(x, y, QColor((x * 7) & 255, (y * 5) & 255, (x + y) & 255));
    const QString path = dir.filePath(name);
    img.save(path, "BMP");
    return path;
  }

  // Opens a picture through the Open command.
  void open(const QString& path) {
    answer = path;
    main->Stuff().OpenImage();
  }

  std::unique_ptr<orvane::frmMain> main;
  QTemporaryDir dir;
  QString answer;        // what the file dialog returns
  int typeAnswer = 1;    // the type chosen in the file dialog (1 for the first)
  bool urlsOpen = true;  // whether the desktop opens addresses
  QStringList dialogs, messages, titles, opened, urls, jpegPaths, asked;
  // What the unsaved-changes question answers.
  orvane::frmStuff::SaveChangesAnswer saveChangesAnswer = orvane::frmStuff::SaveChangesAnswer::Discard;
  QList<int> adjustModes;
  int ends = 0;
};
