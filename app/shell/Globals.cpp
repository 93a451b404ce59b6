#include "Globals.h"

#include "EditHistory.h"

namespace orvane {

namespace {

// Used until the main window installs itself: every service does nothing.
class NoShell final : public ShellServices {
 public:
  void ChangePic() override {}
  void Zoom() override {}
  void ZoomCenter() override {}
  QWidget* MainWidget() override { return nullptr; }
};

ShellServices* installed = nullptr;

}  // namespace

// Created on first use and never freed: they live until the program ends.
CDIB& CurrentImage() {
  static CDIB* image = new CDIB;
  return *image;
}

CDIB& OriginalImage() {
  static CDIB* image = new CDIB;
  return *image;
}

EditHistory& History() {
  static EditHistory* history = new EditHistory;
  return *history;
}

QString& CurrentFileName() {
  static QString* name = new QString;
  return *name;
}

ShellServices& Shell() {
  static NoShell none;
  return installed != nullptr ? *installed : none;
}

void InstallShell(ShellServices* services) { installed = services; }

}  // namespace orvane
