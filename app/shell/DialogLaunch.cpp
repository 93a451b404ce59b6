// The one place where the menus reach the adjustment and JPEG dialogs.
#include "DialogLaunch.h"

#include "Globals.h"
#include "frmAdjust.h"
#include "frmJPEG.h"

namespace orvane {

namespace {
std::function<void(int)>& adjustHook() {
  static std::function<void(int)> hook;
  return hook;
}
std::function<void(const QString&)>& jpegHook() {
  static std::function<void(const QString&)> hook;
  return hook;
}
}  // namespace

void SetAdjustDialogLauncher(std::function<void(int)> launcher) { adjustHook() = std::move(launcher); }
void SetJpegDialogLauncher(std::function<void(const QString&)> launcher) { jpegHook() = std::move(launcher); }

void openAdjustDialog(int mode) {
  if (adjustHook()) {
    adjustHook()(mode);
    return;
  }
  // A fresh dialog per showing: it owns its buffers only while it is open.
  frmAdjust dialog(Shell().MainWidget());
  dialog.AdjustType = mode;
  dialog.ShowModal();
}

bool saveJpegWithDialog(const QString& path) {
  if (jpegHook()) {
    jpegHook()(path);
    return true;
  }
  frmJPEG dialog(Shell().MainWidget());
  dialog.FileName = path;
  dialog.ShowModal();
  return dialog.Saved();
}

}  // namespace orvane
