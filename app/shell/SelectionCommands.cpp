// The menu form's commands for a selected part of the picture.
#include <QAction>
#include <QMenu>
#include <optional>
#include <stdexcept>

#include "AdjustModes.h"
#include "Globals.h"
#include "Operations.h"
#include "SelectionOverlay.h"
#include "ShellHelpers.h"
#include "frmMain.h"
#include "frmStuff.h"

namespace orvane {

namespace {

// Whether the menu item works on the whole picture even with a selection.
bool WholePictureItem(const QString& array, int index) {
  const Command command = LookupCommand(array, index);
  if (command.kind == Command::Filter || command.kind == Command::Effect) {
    const OperationDef* op = FindOperation(command.name);
    return op != nullptr && op->wholePicture;
  }
  if (command.kind == Command::Dialog) {
    const AdjustMode* pane = FindAdjustMode(command.arg);
    return pane != nullptr && PaneWorksOnWholePicture(*pane);
  }
  return false;
}

const char* const kWholeNote = "  (whole picture)";

}  // namespace

void frmStuff::CropToSelection() {
  const std::optional<PixelRect> part = main_.Selection();
  if (!part) {
    ShowMessage(QStringLiteral("Select a rectangle first: hold Shift and drag over the picture."));
    return;
  }
  RecordChange(QStringLiteral("Crop to Selection"));
  // The selection is kept inside the picture, so only memory can fail the crop.
  if (!CropTo(CurrentImage(), *part))
    throw std::runtime_error("there is not enough memory for the cropped picture");
  main_.selectionOverlay()->Clear();
  ChangePic();
  main_.ZoomCenter();
}

void frmStuff::NoteSelection(bool exists) {
  if (exists == selectionNoted_) return;  // the rectangle moved or changed size only
  selectionNoted_ = exists;
  for (QAction* action : holder_->findChildren<QAction*>()) {
    const QVariant array = action->property("array");
    if (!array.isValid() || action->isSeparator() || action->menu() != nullptr) continue;
    if (!WholePictureItem(array.toString(), action->property("index").toInt())) continue;
    QString text = action->text();
    if (text.endsWith(QLatin1String(kWholeNote))) text.chop(static_cast<int>(qstrlen(kWholeNote)));
    action->setText(exists ? text + QLatin1String(kWholeNote) : text);
  }
}

}  // namespace orvane
