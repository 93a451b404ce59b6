// The two dialogs that menu commands open: the adjustment dialog in a mode
// (1 to 29) and the JPEG settings that save the current image.
#pragma once

#include <QString>
#include <functional>

namespace orvane {

void openAdjustDialog(int mode);
// True when the picture was saved (a test's launcher counts as saved).
bool saveJpegWithDialog(const QString& path);

// Replace the dialogs (tests record instead of showing); null restores them.
void SetAdjustDialogLauncher(std::function<void(int mode)> launcher);
void SetJpegDialogLauncher(std::function<void(const QString& path)> launcher);

}  // namespace orvane
