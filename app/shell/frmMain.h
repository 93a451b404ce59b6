// frmMain: the program's frameless main window. A header strip of buttons
// pops up the command menus, three title-bar buttons close, minimise and show
// help, and the image area shows a zoomed copy of the current image that can
// be dragged about. Layout values are in twips (15 per pixel).
#pragma once

#include <QLabel>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>

#include "Globals.h"

class QFrame;
class QMenu;

namespace orvane {

class LumbraButton;
class MyXPFrm;
class SelectionOverlay;
class XPTopButtons;
class frmStuff;

// Twips to pixels.
constexpr int Tw(int twips) { return (twips * 2 + 15) / 30; }

// The picture display: a label the user can drag about inside the image area.
class PictureBox : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool dragging_ = false;
  QPoint grabOffset_;
};

class frmMain : public QWidget, public ShellServices {
  Q_OBJECT

 public:
  // The design size of the client area: 8490 x 6480 twips.
  static constexpr int kDesignWidth = 566;
  static constexpr int kDesignHeight = 432;

  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  int ZoomPercent = 100;

  // ShellServices
  void ChangePic() override;
  void Zoom() override;
  void ZoomCenter() override;
  QWidget* MainWidget() override { return this; }
  void RecordChange(CDIB& before, const QString& label) override;
  void ShowPicture(CDIB* picture) override;
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
  QFrame* headerStrip() const { return FrameTop; }
  QFrame* imageArea() const { return FrameDad; }
  QLabel* picture() const { return picMain; }
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

  MyXPFrm* XPFrm = nullptr;
  XPTopButtons* bHelp = nullptr;
  XPTopButtons* bMin = nullptr;
  XPTopButtons* bClose = nullptr;
  QFrame* FrameTop = nullptr;
  LumbraButton* HeadFile = nullptr;
  LumbraButton* HeadFilter = nullptr;
  LumbraButton* HeadEffect = nullptr;
  LumbraButton* HeadHelp = nullptr;
  LumbraButton* bZoom = nullptr;
  QFrame* FrameDad = nullptr;
  PictureBox* picMain = nullptr;
  QLabel* statusStrip_ = nullptr;
  SelectionOverlay* selection_ = nullptr;
  std::unique_ptr<frmStuff> stuff_;
  CDIB before_;  // shown while backslash is held
  bool unloaded_ = false;
};

}  // namespace orvane
