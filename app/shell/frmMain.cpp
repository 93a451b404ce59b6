#include "frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "EditHistory.h"
#include "LumbraButton.h"
#include "MyXPFrm.h"
#include "SelectionOverlay.h"
#include "ShellHelpers.h"
#include "WorkRunner.h"
#include "XPTopButtons.h"
#include "cEffectDIB.h"
#include "cFilterDIB.h"
#include "frmStuff.h"

namespace orvane {

namespace {

constexpr int kResizeBorder = 4;  // pixels from an edge that resize the window
constexpr int kHeadGap = 8;       // between the Help and Zoom header buttons at the smallest width
const QColor kImageAreaColour(25, 118, 218);
const QColor kHeaderColour(0, 78, 214);

}  // namespace

// ---- the window ---------------------------------------------------------------

frmMain::frmMain(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Orvane"));
  setAcceptDrops(true);
  setMinimumSize(Tw(8490) / 2, Tw(6480) / 2);
  endProgram = [] { QCoreApplication::quit(); };

  XPFrm = new MyXPFrm(this);
  XPFrm->installEventFilter(this);
  XPFrm->setMouseTracking(true);

  auto titleButton = [this](int value, const QString& tip) {
    auto* b = new XPTopButtons(this, value);
    b->setToolTip(tip);
    return b;
  };
  bHelp = titleButton(0, QStringLiteral("Click to Get Help"));
  bMin = titleButton(1, QStringLiteral("Click to Minimize"));
  bClose = titleButton(2, QStringLiteral("Click to close the program"));
  connect(bHelp, &XPTopButtons::Click, this, [this] { OpenHelpFile(this); });
  connect(bMin, &XPTopButtons::Click, this, [this] { showMinimized(); });
  connect(bClose, &XPTopButtons::Click, this, [this] { Unload(); });
  bMax = titleButton(3, QStringLiteral("Click to Maximize or Restore"));
  connect(bMax, &XPTopButtons::Click, this, [this] { ToggleMaximized(); });

  FrameTop = new QFrame(this);
  FrameTop->setObjectName(QStringLiteral("FrameTop"));
  FrameTop->setAutoFillBackground(true);
  QPalette topPalette = FrameTop->palette();
  topPalette.setColor(QPalette::Window, kHeaderColour);
  FrameTop->setPalette(topPalette);
  FrameTop->setGeometry(Tw(30), Tw(420), Tw(8415), Tw(495));

  auto head = [this](const char* name, const char* caption, int left, int width) {
    auto* b = new LumbraButton(FrameTop, QString::fromLatin1(name));
    b->setCaption(QString::fromLatin1(caption));
    b->setGeometry(Tw(left), 0, Tw(width), Tw(495));
    QFont f = b->font();
    f.setBold(true);
    f.setPixelSize(13);
    b->setButtonFont(f);
    b->setForeColor(Qt::white);
    b->setBackColor(kHeaderColour);
    b->setXPStyle(true);
    b->setXPWinStyle(false);
    b->setXPDefaultColors(false);
    b->setXPColor_Hover(kHeaderColour.lighter(125));
    b->setXPColor_Pressed(kHeaderColour.darker(125));
    connect(b, &LumbraButton::Click, this, [this, b] { PopupHeadMenu(b); });
    return b;
  };
  HeadFile = head("HeadFile", "File", 120, 1215);
  HeadFilter = head("HeadFilter", "Filter", 1440, 1215);
  HeadEffect = head("HeadEffect", "Effect", 2760, 1335);
  HeadHelp = head("HeadHelp", "Help", 4200, 1335);
  bZoom = head("bZoom", "Zoom", 7200, 1095);
  // Zoom follows the right edge; the window may not narrow until it covers Help.
  const int zoomFromRight = kDesignWidth - Tw(7200);
  setMinimumWidth(std::max(minimumWidth(), HeadHelp->geometry().right() + 1 + kHeadGap + zoomFromRight));

  FrameDad = new QFrame(this);
  FrameDad->setObjectName(QStringLiteral("FrameDad"));
  FrameDad->setGeometry(Tw(30), Tw(928), Tw(8430), Tw(5510));
  for (QWidget* w : {static_cast<QWidget*>(FrameTop), static_cast<QWidget*>(FrameDad)}) {
    w->setMouseTracking(true);
    w->installEventFilter(this);
  }
  picMain = new PictureBox(FrameDad);
  picMain->setObjectName(QStringLiteral("picMain"));
  // The selection knows the display only through these two mappings and the
  // PictureChanged call in Display.
  // The scale is the shown size over the picture's, so Fit is covered too.
  const auto scale = [this] {
    const CDIB& picture = CurrentImage();
    if (picture.Width() <= 0 || picture.Height() <= 0 || picMain->width() <= 0 || picMain->height() <= 0)
      return QPointF(1, 1);
    return QPointF(double(picMain->width()) / picture.Width(), double(picMain->height()) / picture.Height());
  };
  selection_ = new SelectionOverlay(
      FrameDad,
      [this, scale](QPointF p) {
        const QPointF s = scale();
        return QPointF(picMain->pos()) + QPointF(p.x() * s.x(), p.y() * s.y());
      },
      [this, scale](QPointF p) {
        const QPointF s = scale(), d = p - QPointF(picMain->pos());
        return QPointF(d.x() / s.x(), d.y() / s.y());
      });
  selection_->Watch(picMain);
  connect(selection_, &SelectionOverlay::Changed, this, [this] {
    stuff_->NoteSelection(selection_->Selection().has_value());
    UpdateTitle();
  });
  statusStrip_ = new QLabel(this);
  statusStrip_->setObjectName(QStringLiteral("statusStrip"));
  statusStrip_->setAutoFillBackground(true);
  QPalette stripPalette = statusStrip_->palette();
  stripPalette.setColor(QPalette::Window, kHeaderColour);
  stripPalette.setColor(QPalette::WindowText, Qt::white);
  statusStrip_->setPalette(stripPalette);
  QFont stripFont = statusStrip_->font();
  stripFont.setPixelSize(11);
  statusStrip_->setFont(stripFont);
  statusStrip_->setContentsMargins(6, 0, 6, 0);
  statusStrip_->hide();
  work_ = new WorkRunner(FrameDad);
  // While work runs, the commands that change or replace the picture wait.
  work_->onBusyChanged = [this](bool busy) {
    if (busy) {
      fileWasEnabled_ = HeadFile->isEnabled();
      filterWasEnabled_ = HeadFilter->isEnabled();
      effectWasEnabled_ = HeadEffect->isEnabled();
    }
    HeadFile->setButtonEnabled(!busy && fileWasEnabled_);
    HeadFilter->setButtonEnabled(!busy && filterWasEnabled_);
    HeadEffect->setButtonEnabled(!busy && effectWasEnabled_);
  };

  resize(kDesignWidth, kDesignHeight);
  Load();
  InstallShell(this);
  qApp->installEventFilter(this);  // the window sees every key before its controls
}

frmMain::~frmMain() {
  qApp->removeEventFilter(this);
  if (&Shell() == this) InstallShell(nullptr);
}

void frmMain::Load() {
  HeadFilter->setButtonEnabled(false);
  HeadEffect->setButtonEnabled(false);
  ZoomPercent = 100;
  XPFrm->SetCaption(QStringLiteral("Orvane      "), QStringLiteral("---2003 May"));
  picMain->hide();
  stuff_ = std::make_unique<frmStuff>(*this);
  bZoom->setBackColor(FrameTop->palette().color(QPalette::Window));
  bZoom->setMouseIcon(stuff_->PicTempMouseIcon);
  bZoom->setMousePointer(99);
  FrameDad->setAutoFillBackground(true);
  QPalette pal = FrameDad->palette();
  pal.setColor(QPalette::Window, kImageAreaColour);
  FrameDad->setPalette(pal);
  // Centred on the screen.
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  Layout();
}

void frmMain::Layout() {
  const int w = width(), h = height();
  XPFrm->setGeometry(0, 0, w, h);
  FrameTop->setGeometry(Tw(35), Tw(420), w - Tw(75), FrameTop->height());
  // Beyond the design size the image area follows the window, and the title
  // and zoom buttons keep their distance from the right edge.
  const int dw = w - kDesignWidth;
  const int dh = h - kDesignHeight;
  FrameDad->setGeometry(Tw(30), Tw(928), Tw(8430) + dw, Tw(5510) + dh);
  bMax->move(Tw(6720) + dw, 0);
  bHelp->move(Tw(7200) + dw, 0);
  bMin->move(Tw(7680) + dw, 0);
  bClose->move(Tw(8040) + dw, 0);
  bZoom->move(Tw(7200) + dw, 0);
  constexpr int kStripHeight = 16;
  const QRect area = FrameDad->geometry();
  statusStrip_->setGeometry(area.left(), area.bottom() + 1 - kStripHeight, area.width(), kStripHeight);
  statusStrip_->raise();
  XPFrm->lower();
}

void frmMain::resizeEvent(QResizeEvent*) {
  const bool fitted = PictureFits();
  Layout();
  // At Fit the picture follows the area; otherwise one that fitted but no
  // longer does comes back to the centre.
  if (ZoomFit && shown_ != nullptr && shown_->DIBPointer() != nullptr) {
    Display(const_cast<CDIB&>(*shown_));
    ZoomCenter();
    UpdateTitle();
  } else if (fitted && !PictureFits()) {
    ZoomCenter();
  }
}

bool frmMain::PictureFits() const {
  return picMain->isVisibleTo(FrameDad) && FrameDad->rect().contains(picMain->geometry());
}

void frmMain::ChangePic() { stuff_->ChangePic(); }

void frmMain::Zoom() {
  Display(CurrentImage());
  UpdateTitle();
  stuff_->ShowZoomLevel(ZoomFit ? 0 : ZoomPercent);
}

QSize frmMain::ShownSize(const CDIB& picture) const {
  const int w = picture.Width(), h = picture.Height();
  if (w <= 0 || h <= 0) return {0, 0};
  if (ZoomFit) {
    const double scale = std::min({1.0, double(FrameDad->width()) / w, double(FrameDad->height()) / h});
    return {std::max(1, int(w * scale)), std::max(1, int(h * scale))};
  }
  // Rounded as the whole-picture zoom always was, so sizes stay as they were.
  auto side = [this](int n) { return std::max(1, int(std::nearbyint(double(n) * ZoomPercent * 0.01))); };
  return {side(w), side(h)};
}

double frmMain::ShownPercent() const {
  const CDIB& picture = CurrentImage();
  if (picture.Width() <= 0) return ZoomPercent;
  return 100.0 * ShownSize(picture).width() / picture.Width();
}

void frmMain::FitIfLarger(const CDIB& picture) {
  const bool wasFit = ZoomFit;
  ZoomFit = false;
  const QSize shown = ShownSize(picture);
  ZoomFit = wasFit || shown.width() > FrameDad->width() || shown.height() > FrameDad->height();
}

void frmMain::ZoomAround(int percent, QPoint anchor) {
  const QSize before = picMain->size();
  const QPointF place = before.isEmpty() ? QPointF(0.5, 0.5)
                                         : QPointF(double(anchor.x() - picMain->x()) / before.width(),
                                                   double(anchor.y() - picMain->y()) / before.height());
  ZoomFit = percent <= 0;
  if (!ZoomFit) ZoomPercent = percent;
  Zoom();
  const QSize after = picMain->size();
  picMain->MoveWithin(QPoint(anchor.x() - int(std::lround(place.x() * after.width())),
                             anchor.y() - int(std::lround(place.y() * after.height()))));
  if (ZoomFit) ZoomCenter();
}

void frmMain::ZoomStep(int steps, QPoint anchor) {
  // The next level strictly above or below what is shown, so a step from Fit moves at once.
  const double now = ShownPercent();
  int percent = steps > 0 ? kZoomLevels[std::size(kZoomLevels) - 1] : kZoomLevels[0];
  if (steps > 0) {
    for (int level : kZoomLevels)
      if (level > now + 0.01) {
        percent = level;
        break;
      }
  } else {
    for (int level : kZoomLevels)
      if (level < now - 0.01) percent = level;
  }
  ZoomAround(percent, anchor);
}

void frmMain::ShowPicture(CDIB* picture) { Display(picture != nullptr ? *picture : CurrentImage()); }

bool frmMain::RunWork(const QString& label, const std::function<void()>& work, bool stoppable) {
  return work_->Run(label, work, stoppable) == WorkRunner::Outcome::Done;
}

QPoint frmMain::PictureCentre() {
  const CDIB& picture = CurrentImage();
  const QSize shown = picMain->size();
  if (picture.Width() <= 0 || shown.isEmpty()) return {};
  const QPoint at = picMain->mapFrom(FrameDad, FrameDad->rect().center());
  return {std::clamp(int(int64_t(at.x()) * picture.Width() / shown.width()), 0, picture.Width() - 1),
          std::clamp(int(int64_t(at.y()) * picture.Height() / shown.height()), 0, picture.Height() - 1)};
}

std::optional<PixelRect> frmMain::Selection() { return selection_->Selection(); }

void frmMain::RecordChange(CDIB& before, const QString& label) {
  History().Record(before, label);
  UpdateTitle();
}

void frmMain::ShowBefore(bool show) {
  if (show && before_.DIBPointer() != nullptr) return;  // the key repeats while held
  if (show && History().PeekUndo(before_)) {
    ShowPicture(&before_);
    return;
  }
  if (before_.DIBPointer() == nullptr) return;
  before_.Create(0, 0);
  ShowPicture(nullptr);
}

void frmMain::UpdateTitle() {
  const bool open = CurrentImage().DIBPointer() != nullptr;
  const QString name = frmStuff::DisplayName() + (History().IsModified() ? QStringLiteral(" *") : QString());
  XPFrm->Caption(QStringLiteral("Orvane      "), open ? name : QStringLiteral("---2003 May"));
  setWindowTitle(open ? name + QStringLiteral(" - Orvane") : QStringLiteral("Orvane"));
  statusStrip_->setVisible(open);
  if (open)
    statusStrip_->setText(QStringLiteral("%1    %2 \u00d7 %3    %4%")
                              .arg(name)
                              .arg(CurrentImage().Width())
                              .arg(CurrentImage().Height())
                              .arg(ZoomFit ? QStringLiteral("Fit %1").arg(std::lround(ShownPercent()))
                                           : QString::number(ZoomPercent)) +
                          SelectionText(selection_->Selection()));
}

void frmMain::Display(CDIB& current) {
  // Only the size changes here; the display scales what is visible when it paints.
  // A picture that fitted where it was but no longer does (turned, resized,
  // zoomed) comes back to the centre.
  const bool fitted = PictureFits();
  shown_ = &current;
  picMain->resize(ShownSize(current));
  if (fitted && !PictureFits()) ZoomCenter();
  picMain->SetPicture(&current);
  picMain->show();
  selection_->PictureChanged(CurrentImage().Width(), CurrentImage().Height());
}

void frmMain::ZoomCenter() {
  const double left = FrameDad->width() / 2.0 - picMain->width() / 2.0;
  const double top = FrameDad->height() / 2.0 - picMain->height() / 2.0;
  picMain->move(static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top)));
}

void frmMain::EnableOperations() {
  HeadFilter->setButtonEnabled(true);
  HeadEffect->setButtonEnabled(true);
}

QPoint frmMain::menuPoint(LumbraButton* head) const {
  return QPoint(FrameTop->x() + head->x(), FrameTop->y() + head->height());
}

void frmMain::PopupHeadMenu(LumbraButton* head) {
  QString caption;
  if (head == HeadFile) caption = QStringLiteral("File");
  if (head == HeadFilter) caption = QStringLiteral("Filter");
  if (head == HeadEffect) caption = QStringLiteral("Effect");
  if (head == HeadHelp) caption = QStringLiteral("Help");
  if (head == bZoom) caption = QStringLiteral("Zoom");
  if (QMenu* m = stuff_->menu(caption)) m->popup(mapToGlobal(menuPoint(head)));
}

bool frmMain::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
  const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
  const bool ctrlOnly = mods == Qt::ControlModifier;
  if (work_->Running()) {
    // Escape stops the work; help and zoom still answer; the rest waits for the work to end.
    if (key == Qt::Key_Escape) {
      work_->Stop();
      return true;
    }
    if (key != Qt::Key_F1 && key != Qt::Key_Plus && key != Qt::Key_Equal && key != Qt::Key_Minus &&
        key != Qt::Key_0 && key != Qt::Key_1)
      return key != Qt::Key_Backslash;
  }
  switch (key) {
    case Qt::Key_F1:
      OpenHelpFile(this);
      return true;
    case Qt::Key_F10:
      if (mods != Qt::NoModifier) return false;
      PopupHeadMenu(HeadFile);
      return true;
    case Qt::Key_F:
    case Qt::Key_I:
    case Qt::Key_E:
    case Qt::Key_H: {
      // Alt and the letter of a header button open its menu, as F10 opens File.
      if (mods != Qt::AltModifier) return false;
      LumbraButton* headButton = key == Qt::Key_F   ? HeadFile
                                 : key == Qt::Key_I ? HeadFilter
                                 : key == Qt::Key_E ? HeadEffect
                                                    : HeadHelp;
      if (!headButton->isEnabled()) return false;
      PopupHeadMenu(headButton);
      return true;
    }
    case Qt::Key_F2:
      stuff_->Dispatch(QStringLiteral("mnu_Filter_AutoProcess"), 0);
      return true;
    case Qt::Key_F3:
      stuff_->Dispatch(QStringLiteral("mnu_Filter_AutoProcess"), 1);
      return true;
    case Qt::Key_R:
      if (!ctrlOnly) return false;
      stuff_->Dispatch(QStringLiteral("mnu_File"), 3);
      return true;
    case Qt::Key_S:
      if (!ctrlOnly) return false;
      stuff_->Dispatch(QStringLiteral("mnu_File"), 1);
      return true;
    case Qt::Key_O:
      if (!ctrlOnly) return false;
      stuff_->Dispatch(QStringLiteral("mnu_File"), 0);
      return true;
    case Qt::Key_X:
      if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        stuff_->Dispatch(QStringLiteral("mnu_File"), 4);  // Crop to Selection
        return true;
      }
      if (!ctrlOnly) return false;
      Unload();
      return true;
    case Qt::Key_A:
      if (!ctrlOnly || CurrentImage().Width() <= 0) return false;
      selection_->SelectAll();
      return true;
    case Qt::Key_Escape:
      if (mods != Qt::NoModifier || !selection_->Selection()) return false;
      selection_->Clear();
      return true;
    case Qt::Key_Z:
      if (ctrlOnly)
        stuff_->Undo();
      else if (mods == (Qt::ControlModifier | Qt::ShiftModifier))
        stuff_->Redo();
      else
        return false;
      return true;
    case Qt::Key_Y:
      if (!ctrlOnly) return false;
      stuff_->Redo();
      return true;
    case Qt::Key_C:
      if (!ctrlOnly) return false;
      stuff_->CopyPicture();
      return true;
    case Qt::Key_V:
      if (!ctrlOnly) return false;
      stuff_->PastePicture();
      return true;
    case Qt::Key_Backslash:
      if (mods != Qt::NoModifier) return false;
      ShowBefore(true);
      return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Minus:
      if (mods != Qt::ControlModifier && mods != (Qt::ControlModifier | Qt::ShiftModifier)) return false;
      if (CurrentImage().DIBPointer() != nullptr) ZoomStep(key == Qt::Key_Minus ? -1 : 1, ZoomAnchor());
      return true;
    case Qt::Key_0:
    case Qt::Key_1:
      if (!ctrlOnly) return false;
      if (CurrentImage().DIBPointer() != nullptr) ZoomAround(key == Qt::Key_0 ? 0 : 100, ZoomAnchor());
      return true;
    case Qt::Key_F4:
      if (mods != Qt::AltModifier) return false;
      Unload();
      return true;
    default:
      return false;
  }
}

void frmMain::Unload() {
  // Work that can be abandoned is; a save in progress is waited for.
  if (work_->Running()) work_->Stop();
  if (unloaded_ || work_->Running() || !stuff_->MayDropPicture()) return;
  unloaded_ = true;
  CurrentImage().Cls();
  CurrentImage().Create(0, 0);  // releases the storage
  OriginalImage().Cls();
  OriginalImage().Create(0, 0);
  hide();
  if (endProgram) endProgram();
}

void frmMain::closeEvent(QCloseEvent* event) {
  Unload();
  // Cancelled at the unsaved-changes question: the window stays.
  if (unloaded_)
    event->accept();
  else
    event->ignore();
}

Qt::Edges frmMain::edgesAt(const QPoint& p) const {
  Qt::Edges edges;
  if (p.x() < kResizeBorder) edges |= Qt::LeftEdge;
  if (p.x() >= width() - kResizeBorder) edges |= Qt::RightEdge;
  if (p.y() < kResizeBorder) edges |= Qt::TopEdge;
  if (p.y() >= height() - kResizeBorder) edges |= Qt::BottomEdge;
  return edges;
}

QPoint frmMain::ZoomAnchor() const {
  // The pointer when it is over the image area, otherwise the area's centre.
  const QPoint pointer = FrameDad->mapFromGlobal(QCursor::pos());
  return FrameDad->rect().contains(pointer) ? pointer : FrameDad->rect().center();
}

void frmMain::ToggleMaximized() { setWindowState(windowState() ^ Qt::WindowMaximized); }

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel && watched == FrameDad) {
    // Ctrl + wheel over the image area (the picture passes its wheel on) zooms around the pointer.
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier) || CurrentImage().DIBPointer() == nullptr) return false;
    wheelRest_ += wheel->angleDelta().y();  // high-resolution wheels send parts of a step
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    if (steps != 0) ZoomStep(steps, wheel->position().toPoint());
    return true;
  }
  if (event->type() == QEvent::MouseButtonDblClick && watched == XPFrm) {
    // The title bar: everything above the header strip.
    if (static_cast<QMouseEvent*>(event)->position().y() < FrameTop->y()) {
      ToggleMaximized();
      return true;
    }
  }
  if (event->type() == QEvent::KeyRelease) {
    auto* key = static_cast<QKeyEvent*>(event);
    auto* w = qobject_cast<QWidget*>(watched);
    if (key->key() == Qt::Key_Backslash && !key->isAutoRepeat() && w != nullptr && w->window() == this) {
      ShowBefore(false);
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress && work_->Running() &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    work_->Stop();  // from whichever window has the keyboard, the adjustment dialog too
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w != nullptr && w->window() == this && isEnabled()) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (HandleKey(key->key(), key->modifiers())) return true;
    }
  }
  // The window's outer edges resize it, whichever of the frame, the header
  // strip or the image area lies under the pointer there.
  auto* surface = qobject_cast<QWidget*>(watched);
  const bool edgeOwner = watched == XPFrm || watched == FrameTop || watched == FrameDad;
  if (edgeOwner && windowState() == Qt::WindowNoState &&
      (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const Qt::Edges e = edgesAt(surface->mapTo(this, mouse->position().toPoint()));
    if (event->type() == QEvent::MouseMove) {
      if (e)
        surface->setCursor(EdgeCursor(e));
      else
        surface->unsetCursor();
    } else if (mouse->button() == Qt::LeftButton && e && windowHandle() != nullptr &&
               windowHandle()->startSystemResize(e)) {
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() && event->mimeData()->urls().value(0).isLocalFile())
    event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
  const QUrl url = event->mimeData()->urls().value(0);
  if (!url.isLocalFile() || work_->Running()) return;
  event->acceptProposedAction();
  stuff_->OpenPictureFile(url.toLocalFile());
}

}  // namespace orvane
