// The program's global objects and the services of the main window that
// dialogs call. Every object is created on first use and lives until the end.
#pragma once

#include "CDIB.h"

class QWidget;

namespace orvane {

class cFilterDIB;
class cEffectDIB;
class cFileDIB;

CDIB& CurrentImage();   // the picture every command changes in place
CDIB& OriginalImage();  // written by a successful open, read by "Back to Original"
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
};

// The installed services; a do-nothing set until one is installed.
ShellServices& Shell();
void InstallShell(ShellServices* services);

}  // namespace orvane
