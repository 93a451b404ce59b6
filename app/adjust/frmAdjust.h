// frmAdjust: the one parameter dialog. A mode (1 to 29) selects one pane of
// sliders, boxes and labels; every change re-runs the pane's operation on a
// 1:1 detail of the picture shown in the dialog and, while "Preview" is
// ticked, on a copy of the backup that then replaces the current image. OK
// keeps the result; Cancel, the close button and any other way of closing put
// the picture back as it was.
#pragma once

#include <QColor>
#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "CDIB.h"

class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QScrollBar;
class QThread;

namespace orvane {

class BusyPointer;
class ColorBox;
class cEffectDIB;
class cFilterDIB;
class LumbraButton;
class MyXPFrm;
class PreviewBox;
class XPTopButtons;
struct PaneArg;
struct SliderSpec;

class frmAdjust : public QDialog {
  Q_OBJECT

 public:
  explicit frmAdjust(QWidget* parent = nullptr);
  ~frmAdjust() override;

  // Written by the caller before the dialog is shown.
  int AdjustType = 0;

  // Loads the window for AdjustType (buffers, pane set-up, first preview and
  // apply), shows it modally and returns when it has closed.
  int ShowModal();
  // The loading steps alone; ShowModal runs them before showing.
  void Load();
  bool isLoaded() const { return loaded_; }

  // Where the colour boxes get their colour; returns an invalid colour when
  // the user cancels. Defaults to QColorDialog; tests answer instead.
  static void SetColorChooser(std::function<QColor(const QColor& initial, QWidget* parent)> chooser);

  // The live apply waits for the event loop so that a burst of changes runs
  // it once, with the latest values; true while one is waiting or running.
  bool applyPending() const { return applyQueued_ || worker_ != nullptr; }

  const CDIB& previewImage() const { return PreviewDIB; }
  const CDIB& previewSource() const { return PreviewSourceDIB; }
  const CDIB& backupImage() const { return BackupDIB; }
  // The part of the picture the preview shows at 1:1, in pixels from its top left.
  QRect detailRect() const { return detail_; }
  // Moves the detail by `delta` picture pixels, held inside the picture.
  void MoveDetail(QPoint delta);

  // The controls, for the tests and the window's own wiring.
  MyXPFrm* frame() const { return XPFrm; }
  PreviewBox* previewBox() const { return PicView; }
  QCheckBox* previewCheck() const { return CheckPre; }
  LumbraButton* okButton() const { return bOK; }
  LumbraButton* cancelButton() const { return bCancel; }
  LumbraButton* beforeButton() const { return bBefore; }
  XPTopButtons* closeButton() const { return bClose; }
  QGroupBox* pane(int mode) const;

 public slots:
  void done(int result) override;
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void BuildPanes();
  void BuildSliderRows(QGroupBox* frame, int mode);
  // The checks, radio buttons, colour and size boxes of the mode's pane, under its sliders.
  void BuildControls(QGroupBox* frame, int mode);
  QScrollBar* Slider(const char* name) const;
  int Value(const char* name) const;
  QLabel* CaptionLabel(QWidget* parent, const QString& text);

  void InitSlider(QScrollBar* slider, int min, int max, int value = -1);
  void SetTitle(const QString& text);
  void RestorePreview();
  void RestoreImage();
  void ShowPreview();
  // Cuts the detail out of the untouched picture into the preview's source.
  void TakeDetail();
  // The preview anew: the picture's own pixels when it holds the change,
  // otherwise the operation run on the detail.
  void RefreshPreview();
  void ApplyToImage();

  void SetUpPane();
  void SliderChanged(const SliderSpec& desc);
  void PrimaryChanged();
  bool CorrectMinMaxPairs();
  // The pane's operation with the values its controls hold now; empty for Resize.
  using Operation = std::function<void(CDIB& image, cFilterDIB& filters, cEffectDIB& effects)>;
  // On the picture itself (not the preview) a selection limits it to its inside.
  Operation PaneOperation(bool onPicture = false) const;
  int32_t ArgumentValue(const PaneArg& arg) const;
  void RunOperation(CDIB& image);
  void PickColor(ColorBox* box);
  void PreviewClicked(bool checked);
  void OKClicked();
  void CloseClicked();
  // False when the new size could not be had (the user was told; the dialog stays).
  bool ResizeOnOK();
  void Place();
  static std::optional<QPoint>& LastPlace();
  void ValidateResizeText(QLineEdit* box, bool width);
  void Unload();

  void RequestApply();
  void StartLiveApply();
  void LiveApplyFinished(QThread* worker);
  void CollectWorker();
  void WaitForLiveApply();
  void Guarded(const std::function<void()>& work);

  MyXPFrm* XPFrm = nullptr;
  XPTopButtons* bClose = nullptr;
  PreviewBox* PicView = nullptr;
  QCheckBox* CheckPre = nullptr;
  LumbraButton* bOK = nullptr;
  LumbraButton* bCancel = nullptr;
  LumbraButton* bBefore = nullptr;
  QGroupBox* fAdj[30] = {};

  std::map<std::string, QScrollBar*> sliders_;
  std::map<std::string, QLabel*> valueLabels_;
  // The Resize boxes, which OK reads itself; the other controls are found by name.
  QLineEdit* txtResizeWid = nullptr;
  QLineEdit* txtResizeHei = nullptr;

  CDIB PreviewDIB;
  CDIB PreviewSourceDIB;
  CDIB BackupDIB;
  CDIB LiveDIB;  // the live apply's result, written by its worker only

  bool loaded_ = false;
  bool closed_ = false;
  bool haveBackup_ = false;  // false when the backup could not be made: no live apply then
  bool applyQueued_ = false;
  bool applyWanted_ = false;
  bool refreshing_ = false;
  QThread* worker_ = nullptr;
  std::mutex liveMutex_;  // held by the worker for its whole run
  QString workerError_;
  std::unique_ptr<BusyPointer> busy_;
  // The worker's own operation objects: their working copies are not shared with the preview.
  std::unique_ptr<cFilterDIB> liveFilter_;
  std::unique_ptr<cEffectDIB> liveEffect_;
  bool validating_ = false;
  bool settingUp_ = false;    // the pane's start values are being set
  bool touched_ = false;      // the user has changed a control
  bool finishing_ = false;    // OK's work is running
  bool liveCurrent_ = false;  // the picture holds the change with the values shown
  QRect detail_;
  QPoint dragFrom_;
  bool dragging_ = false;
};

}  // namespace orvane
