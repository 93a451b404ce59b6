// frmMain: the program's frameless main window. A header strip of buttons
// pops up the command menus, three title-bar buttons close, minimise and show
// help, and the image area shows the current image at the zoom (painting only
// what is visible) and lets it be dragged about. Layout values are in twips
// (15 per pixel).
#pragma once

#include <QLabel>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>

#include "Globals.h"
#include "PictureBox.h"

class QFrame;
class QMenu;

namespace orvane {

class LumbraButton;
class MyXPFrm;
class SelectionOverlay;
class XPTopButtons;
class frmStuff;
class WorkRunner;

// Twips to pixels.
constexpr int Tw(int twips) { return (twips * 2 + 15) / 30; }

class frmMain : public QWidget, public ShellServices {
  Q_OBJECT

 public:
  // The design size of the client area: 8490 x 6480 twips.
  static constexpr int kDesignWidth = 566;
  static constexpr int kDesignHeight = 432;

  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  int ZoomPercent = 100;
  // The picture is shown whole, reduced to the image area (never enlarged); ZoomPercent is then unused.
  bool ZoomFit = false;
  // The zoom levels the keyboard and the wheel step through.
  static constexpr int kZoomLevels[] = {5, 10, 25, 50, 75, 100, 150, 200, 300, 400, 800};
  // The size a picture is shown at, at the current zoom.
  QSize ShownSize(const CDIB& picture) const;
  // The shown size over the picture's size, in percent.
  double ShownPercent() const;
  // Sets the zoom (a percent, or Fit for `percent` <= 0) and keeps the picture point under
  // `anchor` (image area coordinates) where it is.
  void ZoomAround(int percent, QPoint anchor);
  // One level up (steps > 0) or down from the shown size, around `anchor`.
  void ZoomStep(int steps, QPoint anchor);
  // Where the keyboard zooms around: the pointer over the image area, or its centre.
  QPoint ZoomAnchor() const;
  // Maximises the window, or puts it back.
  void ToggleMaximized();
  // Chooses Fit when `picture` would not fit the image area at the current zoom.
  void FitIfLarger(const CDIB& picture);

  // ShellServices
  void ChangePic() override;
  void Zoom() override;
  void ZoomCenter() override;
  QWidget* MainWidget() override { return this; }
  void RecordChange(CDIB& before, const QString& label) override;
  void ShowPicture(CDIB* picture) override;
  bool RunWork(const QString& label, const std::function<void()>& work, bool stoppable = true) override;
  QPoint PictureCentre() override;

  // The runner of long work; tests wait on it and stop it.
  WorkRunner& Work() { return *work_; }
  std::optional<PixelRect> Selection() override;

  // The title bar and the status strip say what is open, whether it changed, its size and the zoom.
  void UpdateTitle();
  QLabel* statusStrip() const { return statusStrip_; }

  // Handles a key of the keyboard table; false when the key does nothing here.
  bool HandleKey(int key, Qt::KeyboardModifiers modifiers);
  // Clears and releases both images and ends the program.
  void Unload();
  // What ending the program does; tests replace it. Defaults to quitting the event loop.
  std::function<void()> endProgram;

  // Enables the Filter and Effect header buttons (after a successful open).
  void EnableOperations();
  // Pops up the menu of a header button just below it.
  void PopupHeadMenu(LumbraButton* head);
  // Where the menu of a header button appears, in window coordinates.
  QPoint menuPoint(LumbraButton* head) const;

  frmStuff& Stuff() { return *stuff_; }
  MyXPFrm* frame() const { return XPFrm; }
  XPTopButtons* helpButton() const { return bHelp; }
  XPTopButtons* minButton() const { return bMin; }
  XPTopButtons* closeButton() const { return bClose; }
  XPTopButtons* maximizeButton() const { return bMax; }
  QFrame* headerStrip() const { return FrameTop; }
  QFrame* imageArea() const { return FrameDad; }
  PictureBox* picture() const { return picMain; }
  SelectionOverlay* selectionOverlay() const { return selection_; }
  LumbraButton* headFile() const { return HeadFile; }
  LumbraButton* headFilter() const { return HeadFilter; }
  LumbraButton* headEffect() const { return HeadEffect; }
  LumbraButton* headHelp() const { return HeadHelp; }
  LumbraButton* zoomButton() const { return bZoom; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void Load();
  void Layout();
  Qt::Edges edgesAt(const QPoint& windowPos) const;
  // Shows `picture` at the zoom in the image area.
  void Display(CDIB& picture);
  // While the backslash key is held, the picture as it was before the last change is shown.
  void ShowBefore(bool show);
  // True when the picture is shown and lies wholly inside the image area.
  bool PictureFits() const;

  MyXPFrm* XPFrm = nullptr;
  XPTopButtons* bHelp = nullptr;
  XPTopButtons* bMin = nullptr;
  XPTopButtons* bClose = nullptr;
  XPTopButtons* bMax = nullptr;
  QFrame* FrameTop = nullptr;
  LumbraButton* HeadFile = nullptr;
  LumbraButton* HeadFilter = nullptr;
  LumbraButton* HeadEffect = nullptr;
  LumbraButton* HeadHelp = nullptr;
  LumbraButton* bZoom = nullptr;
  QFrame* FrameDad = nullptr;
  PictureBox* picMain = nullptr;
  const CDIB* shown_ = nullptr;  // what the display shows: the current image or a comparison
  int wheelRest_ = 0;            // parts of a wheel step not yet used
  QLabel* statusStrip_ = nullptr;
  SelectionOverlay* selection_ = nullptr;
  std::unique_ptr<frmStuff> stuff_;
  WorkRunner* work_ = nullptr;
  bool fileWasEnabled_ = true, filterWasEnabled_ = false, effectWasEnabled_ = false;
  CDIB before_;  // shown while backslash is held
  bool unloaded_ = false;
};

}  // namespace orvane
