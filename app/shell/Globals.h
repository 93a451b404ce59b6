// The program's global objects and the services of the main window that
// dialogs call. Every object is created on first use and lives until the end.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <optional>

#include "CDIB.h"
#include "PictureRegion.h"

class QWidget;

namespace orvane {

class cFilterDIB;
class cEffectDIB;
class cFileDIB;
class EditHistory;

CDIB& CurrentImage();        // the picture every command changes in place
CDIB& OriginalImage();       // written by a successful open, read by "Back to Original"
EditHistory& History();      // the undo and redo steps of the current picture
QString& CurrentFileName();  // the file the current picture came from or went to; empty for none
cFilterDIB& FilterObject();
cEffectDIB& EffectObject();
cFileDIB& FileObject();

// What dialogs need of the main window and the menu form. The main window
// installs itself at start; tests install a fake.
class ShellServices {
 public:
  virtual ~ShellServices() = default;
  // Redisplays the current image at the main window's zoom and lets pending events run.
  virtual void ChangePic() = 0;
  // Redisplays the current image at the main window's zoom.
  virtual void Zoom() = 0;
  // Centres the picture display in the image area.
  virtual void ZoomCenter() = 0;
  // The window dialogs are centred on and owned by; may be null.
  virtual QWidget* MainWidget() = 0;
  // Keeps `before` as the undo step of a change about to be made to the
  // current image.
  virtual void RecordChange(CDIB& before, const QString& label) {
    (void)before;
    (void)label;
  }
  // Shows another picture in the current image's place until it is called
  // with null (before-and-after comparisons).
  virtual void ShowPicture(CDIB* picture) { (void)picture; }
  // The picture point (pixels from the top left) under the image area's centre.
  virtual QPoint PictureCentre() { return {CurrentImage().Width() / 2, CurrentImage().Height() / 2}; }
  // Runs long work off the window's thread while the window keeps answering;
  // false when the user stopped it (the work is then abandoned, so it must own
  // what it touches). Work that must not be abandoned halfway (a save) is run
  // with stoppable false and always waited for. Exceptions of the work are thrown again here.
  virtual bool RunWork(const QString& label, const std::function<void()>& work, bool stoppable = true) {
    (void)label;
    (void)stoppable;
    work();
    return true;
  }
  // The part of the current image that changes are limited to; none for the whole picture.
  virtual std::optional<PixelRect> Selection() { return std::nullopt; }
};

// The installed services; a do-nothing set until one is installed.
ShellServices& Shell();
void InstallShell(ShellServices* services);

}  // namespace orvane
